#include "encoder/copy_check.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "encoder/ffmpeg_command.h"

namespace zezozov {
namespace {

// The codecs an MP4 is played with. FFmpeg's MP4 muxer takes more (MPEG-2, MP2, ...), but hardly a player
// plays them from an MP4.
bool Mp4Holds(const std::string& codec, bool video) {
    static const char* const videoCodecs[] = {"h264", "hevc", "av1", "vp9", "mpeg4"};
    static const char* const audioCodecs[] = {"aac", "mp3", "ac3", "eac3", "opus", "alac"};
    const auto holds = [&](const auto& list) {
        return std::any_of(std::begin(list), std::end(list), [&](const char* name) { return codec == name; });
    };
    return video ? holds(videoCodecs) : holds(audioCodecs);
}

const char* ContainerName(Container container) {
    switch (container) {
    case Container::Mp4:
        return "MP4";
    case Container::Matroska:
        return "MKV";
    case Container::WebM:
        return "WebM";
    case Container::Avi:
        return "AVI";
    case Container::Asf:
        return "ASF";
    default:
        return "MPEG";
    }
}

// What to pick instead of copying: the container's first codec in the converter's lists.
std::string Instead(Container container, bool video) {
    if (container == Container::WebM)
        return video ? "; choose VP9" : "; choose Opus";
    if (container == Container::Mp4 || container == Container::Matroska)
        return video ? "; choose H.264" : "; choose AAC";
    return "";
}

const StreamFacts* FirstStream(const ProbeFacts& source, bool video) {
    for (const StreamFacts& stream : source.streams)
        if (video ? stream.video : stream.audio)
            return &stream;
    return nullptr;
}

} // namespace

std::string CodecDisplayName(const std::string& codec) {
    static const std::map<std::string, std::string> names = {
        {"h264", "H.264"},
        {"hevc", "H.265 (HEVC)"},
        {"av1", "AV1"},
        {"vp8", "VP8"},
        {"vp9", "VP9"},
        {"mpeg1video", "MPEG-1"},
        {"mpeg2video", "MPEG-2"},
        {"mpeg4", "MPEG-4 Part 2"},
        {"msmpeg4v2", "msmpeg4v2"},
        {"msmpeg4v3", "msmpeg4"},
        {"wmv1", "WMV7"},
        {"wmv2", "WMV8"},
        {"wmv3", "WMV9"},
        {"mjpeg", "Motion JPEG"},
        {"theora", "Theora"},
        {"prores", "ProRes"},
        {"aac", "AAC"},
        {"mp3", "MP3"},
        {"mp2", "MP2"},
        {"ac3", "AC3"},
        {"eac3", "E-AC3"},
        {"dts", "DTS"},
        {"opus", "Opus"},
        {"vorbis", "Vorbis"},
        {"flac", "FLAC"},
        {"alac", "ALAC"},
        {"wmav1", "WMAv1"},
        {"wmav2", "WMAv2"},
        {"pcm_s16le", "PCM"},
        {"pcm_s24le", "PCM"},
        {"pcm_u8", "PCM"},
        {"none", "unknown"},
    };
    const auto it = names.find(codec);
    return it != names.end() ? it->second : codec;
}

std::string CopyRefusal(const EncodeJob& job, const ProbeFacts& source, const MuxerHolds& muxerHolds) {
    for (const bool video : {true, false}) {
        if (!(video ? job.video.Copies() : job.audio.Copies()))
            continue;
        const StreamFacts* stream = FirstStream(source, video);
        // Nothing to copy (a source without sound converts without it), or no container named, for FFmpeg to
        // choose by the file name.
        if (!stream || job.container == Container::Unset)
            continue;
        const bool holds = job.container == Container::Mp4 ? Mp4Holds(stream->codec, video)
                                                           : muxerHolds(MuxerName(job.container), stream->codec);
        if (!holds)
            return std::string(video ? "its video is " : "its audio is ") + CodecDisplayName(stream->codec) +
                   ", which " + ContainerName(job.container) + " can't hold" + Instead(job.container, video);
    }
    return {};
}

} // namespace zezozov
