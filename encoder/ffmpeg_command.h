#pragma once

#include <string>
#include <vector>

#include "encoder/encode_job.h"

namespace zezozov {

// The FFmpeg muxer for a container ("" when none was chosen, so that FFmpeg goes by the file name).
std::string MuxerName(Container container);

// The whole ffmpeg command line (program name first) that carries out `job`, writing to `writePath`, which FFmpeg
// never replaces. Progress goes to standard output in FFmpeg's key=value form, errors only to standard error.
std::vector<std::string> FfmpegArguments(const EncodeJob& job, const std::string& writePath);

} // namespace zezozov
