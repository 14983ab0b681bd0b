#pragma once

#include <optional>
#include <string>

#include "encoder/source_info.h"

namespace zezozov {

// Opens the input with libavformat, as ffprobe would, and reads what the probe looks at. Empty, with the reason
// in `why` ("not a media file", "empty file", "cannot be read: ..."), when the file can't be read as media.
std::optional<ProbeFacts> ReadMediaFile(const std::string& path, std::string& why);

} // namespace zezozov
