#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zezozov {

// A ratio of two integers (frame rates, aspects, sample aspects).
struct Ratio {
    std::int64_t num = 0;
    std::int64_t den = 1;
    bool operator==(const Ratio&) const = default;
    bool valid() const { return num > 0 && den > 0; }
    double value() const { return static_cast<double>(num) / static_cast<double>(den); }
};

// Convert: one input into the output. Probe: one input's facts. ProbeList: the facts of every input given, each
// file's reports led by NOTIFY_PROBE_FILE.
enum class RunMode { Convert = 0, Probe = 1, ProbeList = 2 };

// The FFmpeg muxer the output is written with.
enum class Container { Unset, Avi, Mpeg, Asf, Vcd, Svcd, Dvd, Vob, Mp4, Matroska, WebM };

// The encoder name that takes a stream over as it is.
inline constexpr const char* kCopyCodec = "copy";

struct VideoJob {
    std::string encoder;      // FFmpeg encoder name, or kCopyCodec; empty when no video codec was chosen
    std::int64_t bitrate = 0; // bit/s, 0 = encoder default
    bool rdDecision = false;  // full rate-distortion macroblock decision
    int qmin = 0, qmax = 0;   // quantiser range, 0 = default
    int gopSize = 0;          // 0 = default
    std::int64_t bufferSize = 0, minRate = 0, maxRate = 0; // bits and bit/s, 0 = default
    int fixedQuantiser = 0;                                // 0 = bit-rate controlled
    std::optional<Ratio> displayAspect;
    bool keepAspect = false; // autoaspect
    std::string fourcc;      // "" keeps the muxer's default tag
    // Constant quality (x264, x265, VP9, SVT-AV1): a CRF instead of a bit rate, and the encoder's speed.
    std::optional<int> crf;
    std::string preset;      // x264 and x265 preset name, or SVT-AV1 preset number
    int cpuUsed = -1;        // libvpx's speed, -1 = default
    bool rowThreads = false; // libvpx's row multithreading
    bool Copies() const { return encoder == kCopyCodec; }
};

struct AudioJob {
    std::string encoder;         // FFmpeg encoder name; empty when no audio codec was chosen
    std::int64_t bitrate = 0;    // bit/s
    bool averageBitrate = false; // lame vbr=3 (ABR)
    bool lameMono = false;       // lame mode=3
    int channels = 0;            // 0 keeps the source's channels
    int maxChannels = 0;         // keep the source's channels up to this many (-channels), 0 = no limit
    int sampleRate = 0;          // 0 keeps the source's rate
    double gainDb = 0;
    bool Copies() const { return encoder == kCopyCodec; }
};

// The frame rate of the output.
struct FrameRateJob {
    enum Kind { Source, Constant, KeepTimestamps } kind = Source;
    Ratio rate;
};

// -vf scale=W:H[,harddup][,expand=W:H]; a dimension of kFreeDimension is computed from the other one so that
// the source's display aspect is kept.
struct ScaleJob {
    static constexpr int kFreeDimension = -3;
    int width = 0;
    int height = 0;
    int padWidth = 0; // 0: no padding
    int padHeight = 0;
    bool duplicateFrames = false; // harddup
};

// Everything one run of the encoder was asked to do, as read from its arguments.
struct EncodeJob {
    std::string inputPath; // the first input
    std::string outputPath;
    std::vector<std::string> probeList; // every input, in order, for a list probe
    RunMode mode = RunMode::Convert;
    std::int64_t windowHandle = 0;

    VideoJob video;
    AudioJob audio;
    Container container = Container::Unset;
    std::string scaler = "bicubic"; // swscale flag name
    FrameRateJob frameRate;
    std::optional<ScaleJob> scale;
    double endSeconds = 0;  // 0: no limit
    bool fastStart = false; // MP4: the index before the media data
};

} // namespace zezozov
