#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "encoder/encode_job.h"

namespace zezozov {

// What the converter is told about an input when it is added to the list.
struct SourceInfo {
    double duration = 0; // seconds; 0 when unknown
    int width = 0;       // stored frame size
    int height = 0;
    Ratio frameRate{0, 1};
    Ratio sampleAspect{0, 1}; // invalid: square pixels
    int rotation = 0;         // clockwise degrees a player turns the picture by: 0, 90, 180 or 270
};

// One stream of an input as the demuxer describes it; 0 (or an invalid ratio) where it gives no value.
struct StreamFacts {
    bool video = false;
    int width = 0;
    int height = 0;
    Ratio averageRate{0, 1}; // the rate a player shows
    Ratio baseRate{0, 1};    // the timestamps' base rate (can be a field rate or a timestamp resolution)
    double duration = 0;     // seconds
    Ratio sampleAspect{0, 1};
    int rotation = 0; // as in SourceInfo
    bool audio = false;
    std::string codec{}; // FFmpeg's codec name ("h264", "mpeg2video", "mp2"); "" when not read
};

// Everything the probe looks at: the container's playing time and its streams in file order.
struct ProbeFacts {
    double duration = 0; // seconds; 0 (or less) when the container gives none
    std::vector<StreamFacts> streams;
};

// The facts reported for an input: its first video stream with a picture size, the container's playing time
// (the stream's when the container has none) and the average frame rate (the base rate when there is no
// average). Empty when the input holds no such video stream.
std::optional<SourceInfo> ChooseSource(const ProbeFacts& facts);

// The frame size as a player shows it: the stored width times the sample aspect (rounded to an even number) when
// the pixels are not square, then width and height swapped for a turn of 90 or 270 degrees. FFmpeg turns the
// picture upright when it decodes, so this is also the size the conversion starts from.
std::pair<int, int> ShownSize(const SourceInfo& info);

// The turn FFmpeg applies when decoding, from a display rotation in av_display_rotation_get's terms
// (counter-clockwise degrees): 90, 180 or 270 within a degree of those, else 0. A turn by another angle keeps
// the frame size, so it counts as 0 here.
int RightAngleTurn(double counterClockwiseDegrees);

// The playing time as the converter stores it: whole seconds, rounded to the nearest; a readable file shorter
// than half a second still reports 1, because 0 means "could not be read".
std::int32_t DurationReport(double seconds);

// Frames per second x 10 000 000, rounded to the nearest integer (halves away from zero):
// 25/1 -> 250000000, 30000/1001 -> 299700300, 24000/1001 -> 239760240.
std::int32_t FrameRateReport(Ratio rate);

// A path handed to FFmpeg: the file: protocol, so that no name can be taken for an option or another protocol.
std::string FfmpegPath(const std::string& path);

} // namespace zezozov
