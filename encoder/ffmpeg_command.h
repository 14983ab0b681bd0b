#pragma once

#include <string>
#include <vector>

#include "encoder/encode_job.h"
#include "encoder/source_info.h"

namespace zezozov {

// The frame after scaling (and, when padWidth is non-zero, after padding to padWidth x padHeight, centred).
struct FrameGeometry {
    int scaleWidth = 0;
    int scaleHeight = 0;
    int padWidth = 0;
    int padHeight = 0;
    bool squarePixels = false; // the scaled size was computed from the display aspect
};

// Resolves the free dimension (-3) of `scale` from the source's display aspect (frame size x sample aspect), rounded
// to an even number; a scaled dimension never exceeds the padded frame, so the picture always fits.
FrameGeometry ComputeGeometry(const ScaleJob& scale, const SourceInfo& source);

// Where the output is written until FFmpeg has succeeded: ".<name>.zezozov-part<.ext>" beside the target. The
// extension stays last, so the name still says what the file is.
std::string TemporaryOutputPath(const std::string& target);

// The FFmpeg muxer for a container ("" when none was chosen, so that FFmpeg goes by the file name).
std::string MuxerName(Container container);

// The whole ffmpeg command line (program name first) that carries out `job` on `source`, writing to `writePath`.
// Progress goes to standard output in FFmpeg's key=value form, errors only to standard error.
std::vector<std::string> FfmpegArguments(const EncodeJob& job, const SourceInfo& source, const std::string& writePath);

} // namespace zezozov
