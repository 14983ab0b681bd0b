#pragma once

#include <optional>
#include <string>

#include "encoder/source_info.h"

namespace zezozov {

// Opens the input with libavformat, as ffprobe would, and reads what the probe looks at. Empty, with the reason
// in `why` ("not a media file", "empty file", "cannot be read: ..."), when the file can't be read as media.
std::optional<ProbeFacts> ReadMediaFile(const std::string& path, std::string& why);

// Whether libavformat's muxer `muxer` ("matroska") can hold a stream of the codec FFmpeg names `codec` ("h264"), by
// the muxer's own rules at normal strictness. False when the libraries can't be loaded.
bool MuxerCanHold(const std::string& muxer, const std::string& codec);

} // namespace zezozov
