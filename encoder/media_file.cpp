#include "encoder/media_file.h"

#include <cstdarg>
#include <filesystem>
#include <memory>

#include <dlfcn.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
}

namespace zezozov {
namespace {

constexpr size_t kLogKeep = 4096;

// FFmpeg's libraries are loaded only when a file is probed: linked into the program, their 130-odd shared objects
// would be loaded on every start, and a conversion, which runs the ffmpeg program, would pay for them too.
struct Libav {
    decltype(&::av_log_get_level) log_get_level = nullptr;
    decltype(&::av_log_set_level) log_set_level = nullptr;
    decltype(&::av_log_set_callback) log_set_callback = nullptr;
    decltype(&::av_log_format_line) log_format_line = nullptr;
    decltype(&::av_strerror) strerror = nullptr;
    decltype(&::av_dict_set) dict_set = nullptr;
    decltype(&::av_dict_free) dict_free = nullptr;
    decltype(&::av_display_rotation_get) display_rotation_get = nullptr;
    decltype(&::avformat_open_input) open_input = nullptr;
    decltype(&::avformat_find_stream_info) find_stream_info = nullptr;
    decltype(&::avformat_close_input) close_input = nullptr;
    decltype(&::av_stream_get_side_data) stream_get_side_data = nullptr;
    decltype(&::av_guess_sample_aspect_ratio) guess_sample_aspect_ratio = nullptr;
    decltype(&::av_guess_format) guess_format = nullptr;
    decltype(&::avformat_query_codec) query_codec = nullptr;
    decltype(&::avcodec_get_name) codec_name = nullptr;
    decltype(&::avcodec_descriptor_get_by_name) codec_by_name = nullptr;
};

const Libav* av = nullptr;

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Loads the libraries of the FFmpeg version the program was built against; null, with the reason, when they
// can't be had.
const Libav* LoadLibav(std::string& why) {
    static Libav lib;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::string utilName = "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR);
        const std::string formatName = "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR);
        const std::string codecName = "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR);
        void* util = dlopen(utilName.c_str(), RTLD_LAZY | RTLD_LOCAL);
        void* format = util ? dlopen(formatName.c_str(), RTLD_LAZY | RTLD_LOCAL) : nullptr;
        // Already loaded with libavformat, which needs it.
        void* codec = format ? dlopen(codecName.c_str(), RTLD_LAZY | RTLD_LOCAL) : nullptr;
        const bool ok = codec && Resolve(util, "av_log_get_level", lib.log_get_level) &&
                        Resolve(util, "av_log_set_level", lib.log_set_level) &&
                        Resolve(util, "av_log_set_callback", lib.log_set_callback) &&
                        Resolve(util, "av_log_format_line", lib.log_format_line) &&
                        Resolve(util, "av_strerror", lib.strerror) && Resolve(util, "av_dict_set", lib.dict_set) &&
                        Resolve(util, "av_dict_free", lib.dict_free) &&
                        Resolve(util, "av_display_rotation_get", lib.display_rotation_get) &&
                        Resolve(format, "avformat_open_input", lib.open_input) &&
                        Resolve(format, "avformat_find_stream_info", lib.find_stream_info) &&
                        Resolve(format, "avformat_close_input", lib.close_input) &&
                        Resolve(format, "av_stream_get_side_data", lib.stream_get_side_data) &&
                        Resolve(format, "av_guess_sample_aspect_ratio", lib.guess_sample_aspect_ratio) &&
                        Resolve(format, "av_guess_format", lib.guess_format) &&
                        Resolve(format, "avformat_query_codec", lib.query_codec) &&
                        Resolve(codec, "avcodec_get_name", lib.codec_name) &&
                        Resolve(codec, "avcodec_descriptor_get_by_name", lib.codec_by_name);
        if (ok) {
            av = &lib;
        } else {
            const char* error = dlerror();
            failure = "FFmpeg's " +
                      (!util     ? utilName
                       : !format ? formatName
                                 : codecName) +
                      " can't be loaded" + (error ? std::string(": ") + error : std::string());
        }
    }
    if (!av)
        why = failure;
    return av;
}

// FFmpeg's own error messages, kept instead of printed: they belong to a failure message, and a file that can be
// read after all (a damaged frame, a guessed duration) should not leave noise behind.
std::string& KeptLog() {
    static std::string log;
    return log;
}

void KeepLogLine(void* context, int level, const char* format, va_list args) {
    if (level > av->log_get_level())
        return;
    char line[1024];
    int printPrefix = 0; // no "[mov,mp4,... @ 0x55d0...]": it means nothing to a user
    av->log_format_line(context, level, format, args, line, sizeof line, &printPrefix);
    if (KeptLog().size() < kLogKeep)
        KeptLog() += line;
}

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av->strerror(error, text, sizeof text);
    return text;
}

// Why an input could not be opened, in the terms a user knows.
std::string Refusal(const std::string& path, int error) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 && !ec)
        return "empty file";
    if (error == AVERROR_INVALIDDATA)
        return "not a media file";
    return "cannot be read: " + ErrorText(error);
}

double Seconds(std::int64_t time, AVRational base) {
    return time == AV_NOPTS_VALUE ? 0 : static_cast<double>(time) * av_q2d(base);
}

Ratio RatioOf(AVRational r) {
    return r.num > 0 && r.den > 0 ? Ratio{r.num, r.den} : Ratio{0, 1};
}

// The turn FFmpeg gives the picture when it decodes: its display matrix only. A "rotate" tag without a matrix
// (left by old muxers) does not turn the picture in FFmpeg 5.1, so it must not turn the reported size either.
int Turn(const AVStream* stream) {
    size_t size = 0;
    const std::uint8_t* matrix = av->stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(std::int32_t))
        return 0;
    return RightAngleTurn(av->display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix)));
}

struct CloseInput {
    void operator()(AVFormatContext* context) const { av->close_input(&context); }
};

} // namespace

std::optional<ProbeFacts> ReadMediaFile(const std::string& path, std::string& why) {
    if (!LoadLibav(why))
        return std::nullopt;
    av->log_set_level(AV_LOG_ERROR);
    av->log_set_callback(KeepLogLine);
    KeptLog().clear();
    auto fail = [&](std::string reason) {
        why = std::move(reason);
        // FFmpeg's lines after the reason, on the same line: the reason travels as one line.
        std::string log = KeptLog();
        while (!log.empty() && (log.back() == '\n' || log.back() == '\r'))
            log.pop_back();
        for (std::size_t nl; (nl = log.find_first_of("\r\n")) != std::string::npos;)
            log.replace(nl, log.find_first_not_of("\r\n", nl) - nl, "; ");
        if (!log.empty())
            why += ": " + log;
        return std::nullopt;
    };

    // ffprobe's opening: every program of a transport stream is looked at, not just the first one announced.
    AVDictionary* options = nullptr;
    av->dict_set(&options, "scan_all_pmts", "1", 0);
    AVFormatContext* opened = nullptr;
    int error = av->open_input(&opened, FfmpegPath(path).c_str(), nullptr, &options);
    av->dict_free(&options);
    if (error < 0)
        return fail(Refusal(path, error));
    std::unique_ptr<AVFormatContext, CloseInput> input(opened);
    error = av->find_stream_info(input.get(), nullptr);
    if (error < 0)
        return fail(Refusal(path, error));

    ProbeFacts facts;
    facts.duration = Seconds(input->duration, AV_TIME_BASE_Q);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        StreamFacts s;
        s.video = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        s.audio = stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
        s.codec = av->codec_name(stream->codecpar->codec_id);
        s.width = stream->codecpar->width;
        s.height = stream->codecpar->height;
        s.averageRate = RatioOf(stream->avg_frame_rate);
        s.baseRate = RatioOf(stream->r_frame_rate);
        s.duration = Seconds(stream->duration, stream->time_base);
        // The container's sample aspect before the codec's, as FFmpeg decodes it.
        s.sampleAspect = RatioOf(av->guess_sample_aspect_ratio(input.get(), input->streams[i], nullptr));
        s.rotation = Turn(stream);
        facts.streams.push_back(s);
    }
    return facts;
}

bool MuxerCanHold(const std::string& muxer, const std::string& codec) {
    std::string why;
    if (!LoadLibav(why))
        return false;
    const AVOutputFormat* format = av->guess_format(muxer.c_str(), nullptr, nullptr);
    const AVCodecDescriptor* descriptor = av->codec_by_name(codec.c_str());
    return format && descriptor && av->query_codec(format, descriptor->id, FF_COMPLIANCE_NORMAL) == 1;
}

} // namespace zezozov
