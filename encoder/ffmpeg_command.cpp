#include "encoder/ffmpeg_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>

#include "encoder/protocol.h"
#include "encoder/source_info.h"

namespace zezozov {
namespace {

std::string RatioText(Ratio r, char separator) {
    std::int64_t g = std::gcd(r.num, r.den);
    return std::to_string(r.num / g) + separator + std::to_string(r.den / g);
}

std::string SecondsText(double seconds) {
    if (seconds == std::floor(seconds))
        return std::to_string(static_cast<long long>(seconds));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
    return buffer;
}

std::string GainText(double db) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "volume=%gdB", db);
    return buffer;
}

// The scale filter's size for one dimension given outright and one left free (-3). The free one follows the
// source's display aspect ("dar" in FFmpeg's expressions: frame size times sample aspect), rounded to an even
// number. The converter works out the letter-box room from the size the probe reports, which is the shown size,
// so the room is on the right side; should the picture still come out wider (or taller) than the box, it is fitted
// into the box the other way round, keeping its display aspect. The expressions are evaluated by FFmpeg once the
// source is open, so the encoder need not open the source itself first.
std::pair<std::string, std::string> ScaleSize(const ScaleJob& scale) {
    auto even = [](const std::string& x) { return "max(2\\,2*round((" + x + ")/2))"; };
    auto n = [](int v) { return std::to_string(v); };
    if (scale.width != ScaleJob::kFreeDimension && scale.height != ScaleJob::kFreeDimension)
        return {n(scale.width), n(scale.height)};
    const bool freeWidth = scale.width == ScaleJob::kFreeDimension;
    const int given = freeWidth ? scale.height : scale.width;
    const std::string natural = even(freeWidth ? n(given) + "*dar" : n(given) + "/dar");
    if (scale.padWidth <= 0)
        return freeWidth ? std::pair{natural, n(given)} : std::pair{n(given), natural};
    const int boxFree = freeWidth ? scale.padWidth : scale.padHeight;
    const int boxGiven = freeWidth ? scale.padHeight : scale.padWidth;
    const std::string fitted = even(freeWidth ? n(boxFree) + "/dar" : n(boxFree) + "*dar");
    std::string freeSize = "min(" + n(boxFree) + "\\," + natural + ")";
    std::string givenSize =
        "min(" + n(boxGiven) + "\\,if(gt(" + natural + "\\," + n(boxFree) + ")\\," + fitted + "\\," + n(given) + "))";
    return freeWidth ? std::pair{freeSize, givenSize} : std::pair{givenSize, freeSize};
}

std::string VideoFilter(const EncodeJob& job) {
    // Keeping the source's size: 4:2:0 pictures, and the Xvid and WMV encoders, need an even width and height,
    // so an odd source loses its last column or row rather than failing to convert.
    if (!job.scale)
        return "crop=trunc(iw/2)*2:trunc(ih/2)*2";
    const ScaleJob& scale = *job.scale;
    auto [w, h] = ScaleSize(scale);
    std::string chain = "scale=w=" + w + ":h=" + h + ":flags=" + job.scaler;
    // A size worked out from the display aspect is meant in square pixels. Without autoaspect the encoder is not
    // asked to keep the display aspect at all, so the pixels are square too.
    const bool free = scale.width == ScaleJob::kFreeDimension || scale.height == ScaleJob::kFreeDimension;
    if (free || !job.video.keepAspect)
        chain += ",setsar=1";
    if (scale.padWidth > 0)
        chain +=
            ",pad=" + std::to_string(scale.padWidth) + ":" + std::to_string(scale.padHeight) + ":(ow-iw)/2:(oh-ih)/2";
    return chain;
}

// The constant-quality encoders' settings: the CRF, and a speed a desktop converter can live with.
void AddConstantQuality(std::vector<std::string>& a, const VideoJob& v, Container container) {
    if (v.crf)
        a.insert(a.end(), {"-crf", std::to_string(*v.crf)});
    if (v.encoder == "libvpx-vp9") {
        // A CRF alone is constant quality; libvpx reads any bit rate as a cap on top of it.
        a.insert(a.end(), {"-b:v", "0"});
        if (v.rowThreads)
            a.insert(a.end(), {"-row-mt", "1"});
        if (v.cpuUsed >= 0)
            a.insert(a.end(), {"-cpu-used", std::to_string(v.cpuUsed)});
    }
    if (!v.preset.empty())
        a.insert(a.end(), {"-preset", v.preset});
    if (v.encoder == "libx265") {
        // x265 prints its banner whatever FFmpeg's log level; errors still come through.
        a.insert(a.end(), {"-x265-params", "log-level=error"});
        // Apple's players take H.265 in MP4 only under the hvc1 tag.
        if (container == Container::Mp4)
            a.insert(a.end(), {"-tag:v", "hvc1"});
    }
}

void AddVideo(std::vector<std::string>& a, const VideoJob& v, Container container) {
    a.insert(a.end(), {"-c:v", v.encoder});
    if (v.Copies())
        return;
    AddConstantQuality(a, v, container);
    auto add = [&](const char* option, std::int64_t value) {
        if (value > 0)
            a.insert(a.end(), {option, std::to_string(value)});
    };
    if (v.fixedQuantiser > 0)
        add("-q:v", v.fixedQuantiser);
    else
        add("-b:v", v.bitrate);
    if (v.rdDecision)
        a.insert(a.end(), {"-mbd", "rd"});
    add("-qmin", v.qmin);
    add("-qmax", v.qmax);
    add("-g", v.gopSize);
    add("-bufsize", v.bufferSize);
    add("-minrate", v.minRate);
    add("-maxrate", v.maxRate);
    // An aspect named outright wins over autoaspect.
    if (v.displayAspect)
        a.insert(a.end(), {"-aspect", RatioText(*v.displayAspect, ':')});
    if (!v.fourcc.empty())
        a.insert(a.end(), {"-tag:v", v.fourcc});
}

// The channel layouts of at most `count` channels that both AAC and Opus take, each source's channels going to the
// nearest of them: mono stays mono, stereo stays stereo, 5.1 (back or side) stays 5.1, 7.1 becomes 5.1.
std::string LayoutsUpTo(int count) {
    static const std::pair<int, const char*> layouts[] = {
        {1, "mono"}, {2, "stereo"}, {3, "3.0"}, {5, "5.0"}, {6, "5.1"}};
    std::string list;
    for (const auto& [channels, name] : layouts)
        if (channels <= count)
            list += (list.empty() ? "" : "|") + std::string(name);
    return "aformat=channel_layouts=" + list;
}

void AddAudio(std::vector<std::string>& a, const AudioJob& au) {
    a.insert(a.end(), {"-c:a", au.encoder});
    if (au.Copies())
        return;
    if (au.bitrate > 0)
        a.insert(a.end(), {"-b:a", std::to_string(au.bitrate)});
    if (au.encoder == "libmp3lame" && au.averageBitrate)
        a.insert(a.end(), {"-abr", "1"});
    std::string filters = au.gainDb != 0 ? GainText(au.gainDb) : "";
    if (au.maxChannels > 0 && au.channels == 0)
        filters += (filters.empty() ? "" : ",") + LayoutsUpTo(au.maxChannels);
    if (!filters.empty())
        a.insert(a.end(), {"-af", filters});
    // lame's mode=3 is mono, but the converter also asks for channels=2 in the same text: the channel count of
    // the audio filter is the converter's real wish and wins. mode=3 only counts when no channel count is given.
    int channels = au.channels > 0 ? au.channels : (au.lameMono ? 1 : 0);
    if (channels > 0)
        a.insert(a.end(), {"-ac", std::to_string(channels)});
    if (au.sampleRate > 0)
        a.insert(a.end(), {"-ar", std::to_string(au.sampleRate)});
}

// The disc muxers only pick their stream names; sector size, mux rate and the start delay of a player's buffer
// must be given as well, as the disc standards fix them.
void AddDiscLayout(std::vector<std::string>& a, Container container) {
    switch (container) {
    case Container::Vcd:
        // 75 sectors of 2352 bytes a second; the first packs hold padding, so the stream starts 0.44 s in.
        a.insert(a.end(), {"-packetsize", "2324", "-muxrate", "1411200", "-muxpreload", "0.44"});
        break;
    case Container::Svcd:
        a.insert(a.end(), {"-packetsize", "2324"});
        break;
    case Container::Dvd:
        a.insert(a.end(), {"-packetsize", "2048", "-muxrate", "10080000"});
        break;
    default:
        break;
    }
}

} // namespace

std::string MuxerName(Container container) {
    switch (container) {
    case Container::Avi:
        return "avi";
    case Container::Mpeg:
        return "mpeg";
    case Container::Asf:
        return "asf";
    case Container::Vcd:
        return "vcd";
    case Container::Svcd:
        return "svcd";
    case Container::Dvd:
        return "dvd";
    case Container::Vob:
        return "vob";
    case Container::Mp4:
        return "mp4";
    case Container::Matroska:
        return "matroska";
    case Container::WebM:
        return "webm";
    case Container::Unset:
        break;
    }
    return {};
}

std::vector<std::string> FfmpegArguments(const EncodeJob& job, const std::string& writePath) {
    std::vector<std::string> a = {"ffmpeg",    "-nostdin", "-hide_banner", "-loglevel", "error",
                                  "-progress", "pipe:1",   "-nostats",     "-n"};
    // Copied video keeps the source's packets, and some containers (MPEG program streams) leave the presentation
    // time of B-frames out; the new container needs one on every packet.
    if (job.video.Copies())
        a.insert(a.end(), {"-fflags", "+genpts"});
    a.insert(a.end(), {"-i", FfmpegPath(job.inputPath)});
    // The first audio stream only if there is one: a source without sound still converts.
    const bool audio = !job.audio.encoder.empty();
    a.insert(a.end(), {"-map", "0:v:0"});
    if (audio)
        a.insert(a.end(), {"-map", "0:a:0?"});

    // FFmpeg turns a source with a display rotation upright before these filters (its autorotate default), as a
    // player does: the filters, and the converter's letter box, work on the picture as it is shown.
    // A copied stream goes into the output as it is: no filter, no picture format, no new timing.
    const bool copyVideo = job.video.Copies();
    std::string filter = copyVideo ? "" : VideoFilter(job);
    if (!filter.empty())
        a.insert(a.end(), {"-vf", filter});
    AddVideo(a, job.video, job.container);
    if (job.container == Container::Svcd)
        a.insert(a.end(), {"-scan_offset", "1"}); // the scan offset user data SVCD players expect
    // Every format written here is 4:2:0; a 4:2:2 source would otherwise come out 4:2:2 MPEG-2, and a 10-bit
    // phone video 10-bit H.264, which few players take.
    if (!copyVideo)
        a.insert(a.end(), {"-pix_fmt", "yuv420p"});
    switch (job.frameRate.kind) {
    case FrameRateJob::Constant:
        // Frames are dropped or duplicated to hold the rate; duplicates are encoded as real frames.
        a.insert(a.end(), {"-r", RatioText(job.frameRate.rate, '/'), "-fps_mode", "cfr"});
        break;
    case FrameRateJob::KeepTimestamps:
        a.insert(a.end(), {"-fps_mode", "passthrough"});
        break;
    case FrameRateJob::Source:
        break;
    }

    if (audio)
        AddAudio(a, job.audio);
    else
        a.push_back("-an");
    a.insert(a.end(), {"-sn", "-dn"});

    if (job.endSeconds > 0)
        a.insert(a.end(), {"-t", SecondsText(job.endSeconds)});
    std::string muxer = MuxerName(job.container);
    if (!muxer.empty())
        a.insert(a.end(), {"-f", muxer});
    if (job.fastStart)
        a.insert(a.end(), {"-movflags", "+faststart"});
    AddDiscLayout(a, job.container);
    a.push_back(FfmpegPath(writePath));
    return a;
}

} // namespace zezozov
