#pragma once

#include <functional>
#include <string>

#include "encoder/encode_job.h"
#include "encoder/source_info.h"

namespace zezozov {

// Whether FFmpeg's muxer `muxer` ("matroska", "webm") can hold a stream of FFmpeg codec `codec` ("h264").
using MuxerHolds = std::function<bool(const std::string& muxer, const std::string& codec)>;

// Why the streams `job` takes over as they are ("-ovc copy", "-oac copy") can't go into its container, in words
// for the user ("its video is MPEG-2, which MP4 can't hold; choose H.264"); "" when they can, or when nothing is
// copied. The streams are the ones the conversion takes: the input's first video and first audio stream.
// MP4 holds what phones, browsers and television sets play from it; the other containers what their muxer takes.
std::string CopyRefusal(const EncodeJob& job, const ProbeFacts& source, const MuxerHolds& muxerHolds);

// The name a user knows a codec by ("MPEG-2" for FFmpeg's mpeg2video); FFmpeg's own name for the rarer ones.
std::string CodecDisplayName(const std::string& codec);

} // namespace zezozov
