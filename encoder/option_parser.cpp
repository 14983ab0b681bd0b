#include "encoder/option_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <string_view>

namespace zezozov {
namespace {

// Every reader answers an error text, empty on success.
using Error = std::string;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

template <typename T>
bool ReadInteger(std::string_view text, T& value) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// An integer within [min, max]: anything outside is refused rather than wrapped or cut.
template <typename T>
bool ReadInRange(std::string_view text, T& value, std::int64_t min, std::int64_t max) {
    std::int64_t n = 0;
    if (!ReadInteger(text, n) || n < min || n > max)
        return false;
    value = static_cast<T>(n);
    return true;
}

std::string RangeText(std::int64_t min, std::int64_t max) {
    return std::to_string(min) + " to " + std::to_string(max);
}

// a * b for non-negative factors; false when the product does not fit.
bool MultiplyChecked(std::int64_t a, std::int64_t b, std::int64_t& product) {
    if (a < 0 || b < 0)
        return false;
    if (a != 0 && b > std::numeric_limits<std::int64_t>::max() / a)
        return false;
    product = a * b;
    return true;
}

bool ReadNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() && std::isfinite(value);
}

// "30000/1001", "25", "25.000000", "2.21/1": an exact ratio (decimals are read digit by digit, not through a
// double, so 29.970030 stays 2997003/100000).
bool ReadRatio(std::string_view text, Ratio& ratio) {
    auto readDecimal = [](std::string_view t, Ratio& r) {
        size_t dot = t.find('.');
        std::string digits(t.substr(0, dot));
        std::int64_t den = 1;
        if (dot != std::string_view::npos) {
            std::string_view frac = t.substr(dot + 1);
            if (frac.size() > 9)
                frac = frac.substr(0, 9);
            for (char c : frac) {
                digits += c;
                den *= 10;
            }
        }
        std::int64_t num = 0;
        if (digits.empty() || !ReadInteger(std::string_view(digits), num) || digits.front() == '-')
            return false;
        r = {num, den};
        return true;
    };
    size_t slash = text.find('/');
    Ratio a, b{1, 1};
    if (!readDecimal(text.substr(0, slash), a))
        return false;
    if (slash != std::string_view::npos && !readDecimal(text.substr(slash + 1), b))
        return false;
    if (!MultiplyChecked(a.num, b.den, ratio.num) || !MultiplyChecked(a.den, b.num, ratio.den) || !ratio.valid())
        return false;
    std::int64_t g = std::gcd(ratio.num, ratio.den);
    ratio = {ratio.num / g, ratio.den / g};
    return true;
}

// The ranges numbers are read in. Wide enough for anything FFmpeg's encoders take, narrow enough that no
// arithmetic on them can overflow.
constexpr std::int64_t kMaxVideoRate = 100'000'000; // bit/s (values up to 16000 are kbit/s)
constexpr std::int64_t kMaxAudioKbit = 640;         // kbit/s, AC3's highest
constexpr std::int64_t kMaxBufferKbit = 100'000;
constexpr std::int64_t kMaxQuantiser = 31;
constexpr std::int64_t kMaxGop = 1000;
constexpr std::int64_t kMaxSampleRate = 192'000;
constexpr std::int64_t kMaxPixels = 16384; // a frame dimension
constexpr double kMaxGainDb = 200;
constexpr double kMaxFrameRate = 1000; // 1000 itself means "keep the source's timestamps"
constexpr double kMinAspect = 0.1, kMaxAspect = 10;
constexpr int kMaxKeptChannels = 6; // -channels: 5.1 is the most the constant-quality formats keep
constexpr int kMaxCrf = 63;         // libvpx's and SVT-AV1's scale; x264's and x265's ends at 51

// The speed presets of x264 and x265.
bool IsX26xPreset(std::string_view name) {
    static const std::string_view presets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                               "medium",    "slow",      "slower",   "veryslow", "placebo"};
    return std::find(std::begin(presets), std::end(presets), name) != std::end(presets);
}

// MEncoder reads a bit rate up to 16000 as kbit/s and anything larger as bit/s.
std::int64_t BitsPerSecond(std::int64_t value) {
    return value > 16000 ? value : value * 1000;
}

// The longest end position taken: far beyond any source, small enough to stay exact in whole seconds.
constexpr double kMaxEndSeconds = 1'000'000.0 * 3600;

// [[hh:]mm:]ss[.frac] as seconds, at most kMaxEndSeconds.
bool ReadTime(std::string_view text, double& seconds) {
    auto parts = Split(text, ':');
    if (parts.size() > 3)
        return false;
    seconds = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        double v = 0;
        if (!ReadNumber(parts[i], v) || v < 0)
            return false;
        if (v > kMaxEndSeconds)
            return false;
        seconds = seconds * 60 + v;
    }
    return seconds <= kMaxEndSeconds;
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
    bool hasValue = false;
};

std::vector<KeyValue> SubOptions(std::string_view text) {
    std::vector<KeyValue> list;
    for (auto part : Split(text, ':')) {
        size_t eq = part.find('=');
        if (eq == std::string_view::npos)
            list.push_back({part, {}, false});
        else
            list.push_back({part.substr(0, eq), part.substr(eq + 1), true});
    }
    return list;
}

Error Bad(std::string_view option, std::string_view why) {
    return std::string(option) + ": " + std::string(why);
}

class Parser {
public:
    explicit Parser(EncodeJob& job) : m_job(job) {}

    Error Option(std::string_view name, std::string_view value) {
        if (name == "-oac")
            return AudioFamily(value);
        if (name == "-ovc")
            return VideoFamily(value);
        if (name == "-lameopts")
            return LameOptions(value);
        if (name == "-lavcopts")
            return LavcOptions(value);
        if (name == "-xvidencopts")
            return XvidOptions(value);
        if (name == "-x264encopts")
            return X264Options(value);
        if (name == "-channels") {
            if (!ReadInRange(value, m_job.audio.maxChannels, 1, kMaxKeptChannels))
                return Bad(name, "not a channel count from " + RangeText(1, kMaxKeptChannels) + ": '" +
                                     std::string(value) + "'");
            return {};
        }
        if (name == "-ffourcc") {
            if (value.size() != 4)
                return Bad(name, "a FourCC has four characters, not '" + std::string(value) + "'");
            m_job.video.fourcc = value;
            return {};
        }
        if (name == "-of")
            return OutputFamily(value);
        if (name == "-lavfopts")
            return LavfOptions(value);
        if (name == "-mpegopts")
            return MpegOptions(value);
        if (name == "-sws")
            return Scaler(value);
        if (name == "-af") {
            m_audioFiltersGiven = true;
            return AudioFilters(value);
        }
        if (name == "-srate") {
            if (!ReadInRange(value, m_srate, 1, kMaxSampleRate))
                return Bad(name,
                           "not a sample rate from " + RangeText(1, kMaxSampleRate) + ": '" + std::string(value) + "'");
            return {};
        }
        if (name == "-ofps") {
            m_frameRateGiven = true;
            return FrameRate(value);
        }
        if (name == "-vf") {
            m_videoFiltersGiven = true;
            return VideoFilters(value);
        }
        if (name == "-endpos") {
            if (!ReadTime(value, m_job.endSeconds))
                return Bad(name, "not a time of at most 1000000 hours: '" + std::string(value) + "'");
            return {};
        }
        return "unknown option " + std::string(name);
    }

    // Combines what only makes sense once every option is known.
    Error Finish() {
        if (m_audioFamily == "lavc")
            m_job.audio.encoder = m_lavcAudio.empty() ? "mp2" : m_lavcAudio;
        if (m_videoFamily == "lavc")
            m_job.video.encoder = m_lavcVideo.empty() ? "mpeg4" : m_lavcVideo;
        if (m_videoFamily == "xvid") {
            m_job.video.encoder = "libxvid";
            m_job.video.bitrate = m_xvidBitrate;
        }
        if (m_videoFamily == "x264") {
            m_job.video.encoder = "libx264";
            m_job.video.crf = m_x264Crf;
            m_job.video.preset = m_x264Preset;
        }
        if (Error e = EncoderOptions(); !e.empty())
            return e;
        if (m_outputFamily == "lavf") {
            m_job.container = m_lavfContainer == Container::Unset ? Container::Avi : m_lavfContainer;
        } else if (m_outputFamily == "mpeg") {
            m_job.container = m_mpegContainer == Container::Unset ? Container::Mpeg : m_mpegContainer;
        }
        if (m_job.fastStart && m_job.container != Container::Mp4)
            return Bad("-lavfopts", "movflags=+faststart is for format=mp4 only");
        // The output rate is -srate when given, else the rate the audio filters resample to.
        m_job.audio.sampleRate = m_srate > 0 ? m_srate : m_resampleRate;
        // A stream taken over as it is can't be filtered, scaled, resampled or retimed.
        if (m_job.video.Copies() && (m_videoFiltersGiven || m_frameRateGiven))
            return Bad("-ovc", "copy takes the video as it is: -vf and -ofps can't go with it");
        if (m_job.audio.Copies() && (m_audioFiltersGiven || m_srate > 0 || m_job.audio.maxChannels > 0))
            return Bad("-oac", "copy takes the audio as it is: -af, -srate and -channels can't go with it");
        return {};
    }

private:
    Error AudioFamily(std::string_view value) {
        if (value != "mp3lame" && value != "lavc" && value != "copy")
            return Bad("-oac", "unsupported audio codec family '" + std::string(value) + "'");
        m_audioFamily = value;
        if (value == "mp3lame")
            m_job.audio.encoder = "libmp3lame";
        if (value == "copy")
            m_job.audio.encoder = kCopyCodec;
        return {};
    }

    Error VideoFamily(std::string_view value) {
        if (value != "lavc" && value != "xvid" && value != "x264" && value != "copy")
            return Bad("-ovc", "unsupported video codec family '" + std::string(value) + "'");
        m_videoFamily = value;
        if (value == "copy")
            m_job.video.encoder = kCopyCodec;
        return {};
    }

    // crf=N:preset=NAME, the two x264 settings the converter writes.
    Error X264Options(std::string_view value) {
        for (const auto& kv : SubOptions(value)) {
            if (kv.key == "crf") {
                int n = 0;
                if (!kv.hasValue || !ReadInRange(kv.value, n, 0, 51))
                    return Bad("-x264encopts", "crf needs a number from " + RangeText(0, 51));
                m_x264Crf = n;
            } else if (kv.key == "preset") {
                if (!kv.hasValue || !IsX26xPreset(kv.value))
                    return Bad("-x264encopts", "not an x264 preset: '" + std::string(kv.value) + "'");
                m_x264Preset = kv.value;
            } else {
                return Bad("-x264encopts", "unknown sub-option '" + std::string(kv.key) + "'");
            }
        }
        return {};
    }

    // The o= settings of -lavcopts, once the video codec they belong to is known: only those the converter writes
    // for each encoder, so that no other encoder or muxer setting (some write files) can be passed through.
    Error EncoderOptions() {
        VideoJob& v = m_job.video;
        const std::string& codec = m_lavcVideo;
        const bool constantQuality = codec == "libx265" || codec == "libvpx-vp9" || codec == "libsvtav1";
        if (!m_encoderOptions.empty() && (m_videoFamily != "lavc" || !constantQuality))
            return Bad("-lavcopts", "o= is only read for vcodec=libx265, libvpx-vp9 or libsvtav1");
        for (auto setting : m_encoderOptions.empty() ? std::vector<std::string_view>{} : Split(m_encoderOptions, ',')) {
            const size_t eq = setting.find('=');
            const KeyValue kv{setting.substr(0, eq), eq == std::string_view::npos ? "" : setting.substr(eq + 1),
                              eq != std::string_view::npos};
            int n = 0;
            const auto number = [&](int min, int max) { return kv.hasValue && ReadInRange(kv.value, n, min, max); };
            if (kv.key == "crf" && number(codec == "libx265" ? 0 : 1, codec == "libx265" ? 51 : kMaxCrf)) {
                v.crf = n;
            } else if (kv.key == "preset" && codec == "libx265" && kv.hasValue && IsX26xPreset(kv.value)) {
                v.preset = kv.value;
            } else if (kv.key == "preset" && codec == "libsvtav1" && number(0, 13)) {
                v.preset = std::to_string(n);
            } else if (kv.key == "cpu-used" && codec == "libvpx-vp9" && number(0, 8)) {
                v.cpuUsed = n;
            } else if (kv.key == "row-mt" && codec == "libvpx-vp9" && number(0, 1)) {
                v.rowThreads = n == 1;
            } else {
                return Bad("-lavcopts", "o=" + std::string(kv.key) + (kv.hasValue ? "=" + std::string(kv.value) : "") +
                                            " is not read for vcodec=" + codec);
            }
        }
        return {};
    }

    Error LameOptions(std::string_view value) {
        for (const auto& kv : SubOptions(value)) {
            int n = 0;
            if (!kv.hasValue || !ReadInRange(kv.value, n, 0, kMaxAudioKbit))
                return Bad("-lameopts",
                           "'" + std::string(kv.key) + "' needs a number from " + RangeText(0, kMaxAudioKbit));
            if (kv.key == "vbr") {
                if (n != 0 && n != 3)
                    return Bad("-lameopts", "vbr=" + std::to_string(n) + " is not supported (0 or 3)");
                m_job.audio.averageBitrate = n == 3;
            } else if (kv.key == "br") {
                if (n <= 0)
                    return Bad("-lameopts", "br must be positive");
                m_job.audio.bitrate = n * 1000;
            } else if (kv.key == "mode") {
                if (n < 0 || n > 3)
                    return Bad("-lameopts", "mode must be 0 to 3");
                m_job.audio.lameMono = n == 3;
            } else {
                return Bad("-lameopts", "unknown sub-option '" + std::string(kv.key) + "'");
            }
        }
        return {};
    }

    Error LavcOptions(std::string_view value) {
        static const std::map<std::string_view, std::string_view> videoCodecs = {
            {"mpeg4", "mpeg4"},     {"mpeg1video", "mpeg1video"}, {"mpeg2video", "mpeg2video"},
            {"wmv2", "wmv2"},       {"msmpeg4", "msmpeg4"},       {"msmpeg4v2", "msmpeg4v2"},
            {"libx265", "libx265"}, {"libvpx-vp9", "libvpx-vp9"}, {"libsvtav1", "libsvtav1"},
        };
        static const std::map<std::string_view, std::string_view> audioCodecs = {
            {"mp2", "mp2"},     {"ac3", "ac3"}, {"wmav1", "wmav1"},
            {"wmav2", "wmav2"}, {"aac", "aac"}, {"libopus", "libopus"}};
        VideoJob& v = m_job.video;
        for (const auto& kv : SubOptions(value)) {
            std::string key(kv.key);
            auto integer = [&](auto& target, std::int64_t min, std::int64_t max) -> Error {
                if (!kv.hasValue || !ReadInRange(kv.value, target, min, max))
                    return Bad("-lavcopts", key + " needs a number from " + RangeText(min, max));
                return {};
            };
            Error e;
            if (key == "vcodec" || key == "acodec") {
                const auto& table = key == "vcodec" ? videoCodecs : audioCodecs;
                auto it = table.find(kv.value);
                if (it == table.end())
                    return Bad("-lavcopts", "unsupported " + key + " '" + std::string(kv.value) + "'");
                (key == "vcodec" ? m_lavcVideo : m_lavcAudio) = it->second;
            } else if (key == "vbitrate") {
                std::int64_t n = 0;
                e = integer(n, 1, kMaxVideoRate);
                v.bitrate = BitsPerSecond(n);
            } else if (key == "abitrate") {
                std::int64_t n = 0;
                e = integer(n, 1, kMaxAudioKbit);
                m_job.audio.bitrate = n * 1000;
            } else if (key == "vhq") {
                if (kv.hasValue)
                    return Bad("-lavcopts", "vhq takes no value");
                v.rdDecision = true;
            } else if (key == "vqmin") {
                e = integer(v.qmin, 1, kMaxQuantiser);
            } else if (key == "vqmax") {
                e = integer(v.qmax, 1, kMaxQuantiser);
            } else if (key == "keyint") {
                e = integer(v.gopSize, 1, kMaxGop);
            } else if (key == "vrc_buf_size") {
                std::int64_t n = 0;
                e = integer(n, 1, kMaxBufferKbit);
                v.bufferSize = n * 1000;
            } else if (key == "vrc_minrate") {
                std::int64_t n = 0;
                e = integer(n, 1, kMaxVideoRate);
                v.minRate = BitsPerSecond(n);
            } else if (key == "vrc_maxrate") {
                std::int64_t n = 0;
                e = integer(n, 1, kMaxVideoRate);
                v.maxRate = BitsPerSecond(n);
            } else if (key == "vqscale") {
                e = integer(v.fixedQuantiser, 1, kMaxQuantiser);
            } else if (key == "autoaspect") {
                int n = 1;
                if (kv.hasValue && (!ReadInteger(kv.value, n) || n < 0 || n > 1))
                    return Bad("-lavcopts", "autoaspect is 0 or 1");
                v.keepAspect = n == 1;
            } else if (key == "o") {
                // Encoder settings, "key=value,key=value"; read once the codec is known.
                if (!kv.hasValue || kv.value.empty())
                    return Bad("-lavcopts", "o needs key=value settings");
                m_encoderOptions = kv.value;
            } else if (key == "aspect") {
                Ratio r;
                if (!kv.hasValue || !ReadRatio(kv.value, r) || r.value() < kMinAspect || r.value() > kMaxAspect)
                    return Bad("-lavcopts", "not an aspect from 1/10 to 10/1: '" + std::string(kv.value) + "'");
                v.displayAspect = r;
            } else {
                return Bad("-lavcopts", "unknown sub-option '" + key + "'");
            }
            if (!e.empty())
                return e;
        }
        return {};
    }

    Error XvidOptions(std::string_view value) {
        for (const auto& kv : SubOptions(value)) {
            std::int64_t n = 0;
            if (kv.key == "bitrate") {
                if (!kv.hasValue || !ReadInRange(kv.value, n, 1, kMaxVideoRate))
                    return Bad("-xvidencopts", "bitrate needs a number from " + RangeText(1, kMaxVideoRate));
                m_xvidBitrate = BitsPerSecond(n);
            } else if (kv.key == "autoaspect") {
                if (kv.hasValue && (!ReadInteger(kv.value, n) || n < 0 || n > 1))
                    return Bad("-xvidencopts", "autoaspect is 0 or 1");
                m_job.video.keepAspect = !kv.hasValue || n == 1;
            } else {
                return Bad("-xvidencopts", "unknown sub-option '" + std::string(kv.key) + "'");
            }
        }
        return {};
    }

    Error OutputFamily(std::string_view value) {
        if (value != "lavf" && value != "mpeg")
            return Bad("-of", "unsupported output format '" + std::string(value) + "'");
        m_outputFamily = value;
        return {};
    }

    Error LavfOptions(std::string_view value) {
        static const std::map<std::string_view, Container> formats = {
            {"avi", Container::Avi},  {"mpg", Container::Mpeg}, {"asf", Container::Asf},
            {"wmv", Container::Asf},  {"mp4", Container::Mp4},  {"matroska", Container::Matroska},
            {"webm", Container::WebM}};
        for (const auto& kv : SubOptions(value)) {
            // The B-frame certificate only silences a warning of MEncoder's; it changes nothing here.
            if (kv.key == "i_certify_that_my_video_stream_does_not_use_b_frames" && !kv.hasValue)
                continue;
            // Muxer settings: only the one the converter writes, MP4's index before the media data.
            if (kv.key == "o") {
                if (kv.value != "movflags=+faststart")
                    return Bad("-lavfopts", "o=" + std::string(kv.value) + " is not read (only movflags=+faststart)");
                m_job.fastStart = true;
                continue;
            }
            if (kv.key != "format")
                return Bad("-lavfopts", "unknown sub-option '" + std::string(kv.key) + "'");
            auto it = formats.find(kv.value);
            if (it == formats.end())
                return Bad("-lavfopts", "unsupported format '" + std::string(kv.value) + "'");
            m_lavfContainer = it->second;
        }
        return {};
    }

    Error MpegOptions(std::string_view value) {
        static const std::map<std::string_view, Container> formats = {
            {"xvcd", Container::Vcd}, {"vcd", Container::Vcd},    {"xsvcd", Container::Svcd}, {"svcd", Container::Svcd},
            {"dvd", Container::Dvd},  {"mpeg1", Container::Mpeg}, {"mpeg2", Container::Vob}};
        for (const auto& kv : SubOptions(value)) {
            if (kv.key != "format")
                return Bad("-mpegopts", "unknown sub-option '" + std::string(kv.key) + "'");
            auto it = formats.find(kv.value);
            if (it == formats.end())
                return Bad("-mpegopts", "unsupported format '" + std::string(kv.value) + "'");
            m_mpegContainer = it->second;
        }
        return {};
    }

    Error Scaler(std::string_view value) {
        // MEncoder's numbering of the software scaler's methods.
        static const char* const names[] = {"fast_bilinear", "bilinear", "bicubic", "experimental", "neighbor", "area",
                                            "bicublin",      "gauss",    "sinc",    "lanczos",      "spline"};
        int n = -1;
        if (!ReadInteger(value, n) || n < 0 || n > 10)
            return Bad("-sws", "not a scaler number (0 to 10): '" + std::string(value) + "'");
        m_job.scaler = names[n];
        return {};
    }

    // volume=<gain>db:<softclip>[:channels=N][:lavcresample=R], filters separated by commas; channels= and
    // lavcresample= may also stand as filters of their own.
    Error AudioFilters(std::string_view value) {
        for (auto filter : Split(value, ',')) {
            auto parts = SubOptions(filter);
            size_t i = 0;
            if (parts[0].key == "volume" && parts[0].hasValue) {
                std::string_view gain = parts[0].value;
                if (gain.size() > 2 && (gain.ends_with("db") || gain.ends_with("dB")))
                    gain.remove_suffix(2);
                if (!ReadNumber(gain, m_job.audio.gainDb) || std::fabs(m_job.audio.gainDb) > kMaxGainDb)
                    return Bad("-af", "not a gain from -200 to +200 dB: '" + std::string(parts[0].value) + "'");
                i = 1;
                int softClip = 0;
                if (i < parts.size() && !parts[i].hasValue) {
                    if (!ReadInteger(parts[i].key, softClip) || softClip < 0 || softClip > 1)
                        return Bad("-af", "volume's soft clipping is 0 or 1");
                    ++i;
                }
            }
            for (; i < parts.size(); ++i) {
                int n = 0;
                const auto& kv = parts[i];
                if (kv.key == "channels") {
                    if (!kv.hasValue || !ReadInteger(kv.value, n) || n < 1 || n > 8)
                        return Bad("-af", "channels must be 1 to 8");
                    m_job.audio.channels = n;
                } else if (kv.key == "lavcresample") {
                    if (!kv.hasValue || !ReadInRange(kv.value, n, 1, kMaxSampleRate))
                        return Bad("-af", "lavcresample needs a sample rate from " + RangeText(1, kMaxSampleRate));
                    m_resampleRate = n;
                } else {
                    return Bad("-af", "unsupported audio filter '" + std::string(filter) + "'");
                }
            }
        }
        return {};
    }

    Error FrameRate(std::string_view value) {
        Ratio r;
        if (!ReadRatio(value, r) || r.value() > kMaxFrameRate)
            return Bad("-ofps", "not a frame rate of at most 1000: '" + std::string(value) + "'");
        // The converter writes 1000 for the Windows Media formats, meaning "keep the source's timestamps";
        // no output of this program is meant to run at a thousand frames a second.
        if (r == Ratio{1000, 1})
            m_job.frameRate = {FrameRateJob::KeepTimestamps, r};
        else
            m_job.frameRate = {FrameRateJob::Constant, r};
        return {};
    }

    Error VideoFilters(std::string_view value) {
        ScaleJob scale;
        bool haveScale = false;
        for (auto filter : Split(value, ',')) {
            size_t eq = filter.find('=');
            std::string_view name = filter.substr(0, eq);
            auto args =
                eq == std::string_view::npos ? std::vector<std::string_view>{} : Split(filter.substr(eq + 1), ':');
            auto size = [&](int& w, int& h, bool allowFree) {
                if (args.size() != 2 || !ReadInRange(args[0], w, -kMaxPixels, kMaxPixels) ||
                    !ReadInRange(args[1], h, -kMaxPixels, kMaxPixels))
                    return false;
                auto ok = [&](int d) { return d > 0 || (allowFree && d == ScaleJob::kFreeDimension); };
                return ok(w) && ok(h) && !(w < 0 && h < 0);
            };
            if (name == "scale") {
                if (!size(scale.width, scale.height, true))
                    return Bad("-vf", "scale needs W:H (1 to 16384 pixels, or -3 for one of them): '" +
                                          std::string(filter) + "'");
                haveScale = true;
            } else if (name == "harddup" && args.empty()) {
                scale.duplicateFrames = true;
            } else if (name == "expand") {
                if (!size(scale.padWidth, scale.padHeight, false))
                    return Bad("-vf", "expand needs W:H (1 to 16384 pixels): '" + std::string(filter) + "'");
            } else {
                return Bad("-vf", "unsupported video filter '" + std::string(filter) + "'");
            }
        }
        if (!haveScale && scale.padWidth > 0)
            return Bad("-vf", "expand without scale is not supported");
        if (haveScale)
            m_job.scale = scale;
        return {};
    }

    EncodeJob& m_job;
    std::string m_audioFamily, m_videoFamily, m_outputFamily;
    std::string m_lavcAudio, m_lavcVideo;
    std::int64_t m_xvidBitrate = 0;
    Container m_lavfContainer = Container::Unset, m_mpegContainer = Container::Unset;
    int m_srate = 0, m_resampleRate = 0;
    std::optional<int> m_x264Crf;
    std::string m_x264Preset;
    std::string m_encoderOptions; // -lavcopts o=, "key=value,key=value"
    bool m_frameRateGiven = false, m_videoFiltersGiven = false, m_audioFiltersGiven = false;
};

} // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    ParseResult result;
    EncodeJob& job = result.job;
    // The first argument is an input whatever it looks like, and so is every other one before -o; only a list probe
    // takes more than one.
    const auto dashO = args.empty() ? args.end() : std::find(args.begin() + 1, args.end(), "-o");
    const size_t inputs = static_cast<size_t>(dashO - args.begin());
    if (dashO == args.end() || args.size() < inputs + 4) {
        result.error = "expected: \"input\" -o \"output\" [options] mode window";
        return result;
    }
    job.inputPath = args[0];
    job.outputPath = args[inputs + 1];
    if (std::any_of(args.begin(), dashO, [](const std::string& in) { return in.empty(); }) || job.outputPath.empty()) {
        result.error = "empty input or output path";
        return result;
    }
    const size_t end = args.size() - 2;
    int mode = -1;
    if (!ReadInteger(std::string_view(args[end]), mode) || mode < 0 || mode > 2) {
        result.error = "mode must be 0 (convert), 1 (probe) or 2 (probe a list), not '" + args[end] + "'";
        return result;
    }
    job.mode = static_cast<RunMode>(mode);
    if (job.mode == RunMode::ProbeList)
        job.probeList.assign(args.begin(), dashO);
    else if (inputs > 1) {
        result.error = "more than one input is read only by a list probe (mode 2)";
        return result;
    }
    if (!ReadInteger(std::string_view(args[end + 1]), job.windowHandle)) {
        result.error = "window handle must be a decimal number, not '" + args[end + 1] + "'";
        return result;
    }
    static const std::string_view known[] = {"-oac",         "-ovc",     "-lameopts", "-lavcopts", "-xvidencopts",
                                             "-x264encopts", "-ffourcc", "-of",       "-lavfopts", "-mpegopts",
                                             "-sws",         "-af",      "-srate",    "-channels", "-ofps",
                                             "-vf",          "-endpos"};
    Parser parser(job);
    for (size_t i = inputs + 2; i < end; i += 2) {
        if (std::find(std::begin(known), std::end(known), args[i]) == std::end(known)) {
            result.error =
                args[i].starts_with("-") ? "unknown option " + args[i] : "unexpected argument '" + args[i] + "'";
            return result;
        }
        if (i + 1 >= end) {
            result.error = args[i] + ": missing value";
            return result;
        }
        result.error = parser.Option(args[i], args[i + 1]);
        if (!result.ok())
            return result;
    }
    result.error = parser.Finish();
    return result;
}

} // namespace zezozov
