#include "encoder/media_file.h"

#include <cstdarg>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
}

namespace zezozov {
namespace {

constexpr size_t kLogKeep = 4096;

// FFmpeg's own error messages, kept instead of printed: they belong to a failure message, and a file that can be
// read after all (a damaged frame, a guessed duration) should not leave noise behind.
std::string& KeptLog() {
    static std::string log;
    return log;
}

void KeepLogLine(void* context, int level, const char* format, va_list args) {
    if (level > av_log_get_level())
        return;
    char line[1024];
    int printPrefix = 1;
    av_log_format_line(context, level, format, args, line, sizeof line, &printPrefix);
    if (KeptLog().size() < kLogKeep)
        KeptLog() += line;
}

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
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
    const std::uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(std::int32_t))
        return 0;
    return RightAngleTurn(av_display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix)));
}

struct CloseInput {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

} // namespace

std::optional<ProbeFacts> ReadMediaFile(const std::string& path, std::string& why) {
    av_log_set_level(AV_LOG_ERROR);
    av_log_set_callback(KeepLogLine);
    KeptLog().clear();
    auto fail = [&](std::string reason) {
        why = std::move(reason);
        std::string log = KeptLog();
        while (!log.empty() && (log.back() == '\n' || log.back() == '\r'))
            log.pop_back();
        if (!log.empty())
            why += "\n" + log;
        return std::nullopt;
    };

    // ffprobe's opening: every program of a transport stream is looked at, not just the first one announced.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "scan_all_pmts", "1", 0);
    AVFormatContext* opened = nullptr;
    int error = avformat_open_input(&opened, FfmpegPath(path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (error < 0)
        return fail(Refusal(path, error));
    std::unique_ptr<AVFormatContext, CloseInput> input(opened);
    error = avformat_find_stream_info(input.get(), nullptr);
    if (error < 0)
        return fail(Refusal(path, error));

    ProbeFacts facts;
    facts.duration = Seconds(input->duration, AV_TIME_BASE_Q);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        StreamFacts s;
        s.video = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        s.width = stream->codecpar->width;
        s.height = stream->codecpar->height;
        s.averageRate = RatioOf(stream->avg_frame_rate);
        s.baseRate = RatioOf(stream->r_frame_rate);
        s.duration = Seconds(stream->duration, stream->time_base);
        // The container's sample aspect before the codec's, as FFmpeg decodes it.
        s.sampleAspect = RatioOf(av_guess_sample_aspect_ratio(input.get(), input->streams[i], nullptr));
        s.rotation = Turn(stream);
        facts.streams.push_back(s);
    }
    return facts;
}

} // namespace zezozov
