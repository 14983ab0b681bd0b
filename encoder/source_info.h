#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encode_job.h"

namespace zezozov {

// What the converter is told about an input when it is added to the list: read with ffprobe.
struct SourceInfo {
    double duration = 0; // seconds; 0 when unknown
    int width = 0;
    int height = 0;
    Ratio frameRate{0, 1};
};

// The ffprobe arguments that print what ParseProbeOutput reads, for the file at `path`.
std::vector<std::string> ProbeArguments(const std::string& path);

// Reads ffprobe's compact output. Empty when the input holds no usable video stream.
std::optional<SourceInfo> ParseProbeOutput(const std::string& text);

// The playing time as the converter stores it: whole seconds, rounded to the nearest; a readable file shorter
// than half a second still reports 1, because 0 means "could not be read".
std::int32_t DurationReport(double seconds);

// Frames per second x 10 000 000, rounded to the nearest integer (halves away from zero):
// 25/1 -> 250000000, 30000/1001 -> 299700300, 24000/1001 -> 239760240.
std::int32_t FrameRateReport(Ratio rate);

// A path handed to FFmpeg: the file: protocol, so that no name can be taken for an option or another protocol.
std::string FfmpegPath(const std::string& path);

} // namespace zezozov
