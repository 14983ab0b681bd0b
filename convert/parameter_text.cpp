#include "convert/parameter_text.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "settings/output_profiles.h"

namespace {

// Under the Windows Media containers the encoder reads this as "keep the source's timestamps".
constexpr double kKeepTimestamps = 1000;

// The speed settings of the slower encoders: what 720p takes on a two-core desktop to be encoded about as fast as it
// plays (SVT-AV1), and libvpx's usual speed for files that are watched rather than streamed live.
constexpr int kVp9Speed = 4;
constexpr int kAv1Preset = 10;

// printf-style formatting for the option texts. Only %d and %s are used, which no locale changes.
#if defined(__GNUC__)
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
#endif

std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0)
        return {};
    if (static_cast<std::size_t>(length) < sizeof text)
        return std::string(text, length);
    std::string long_text(static_cast<std::size_t>(length) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(long_text.data(), long_text.size(), format, args);
    va_end(args);
    long_text.pop_back();
    return long_text;
}

// "%f" without the C locale: a program that once set LC_NUMERIC to a comma locale must still write "25.000000".
std::string FixedSixDecimals(double value) {
    char text[512];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return "0.000000";
    return std::string(text, result.ptr);
}

// The frame-rate option; none for a rate of 0, which keeps the source's own timing. `doubleNtsc`: 59.94 is one of
// the list's rates (the constant-quality formats), so it goes out as the exact fraction too.
std::string FrameRateOption(double rate, bool doubleNtsc) {
    if (rate == 0)
        return {};
    // The NTSC rates go out as exact fractions; "%f" of 29.97 would drift against 30000/1001 over an hour.
    struct NtscRate {
        double approx;
        const char* exact;
    };
    static const NtscRate kNtscRates[] = {{14.985, "15000/1001"}, {23.976, "24000/1001"}, {29.97, "30000/1001"}};
    for (const NtscRate& ntsc : kNtscRates) {
        if (std::fabs(rate - ntsc.approx) <= 0.00001)
            return std::string(" -ofps ") + ntsc.exact;
    }
    if (doubleNtsc && std::fabs(rate - 59.94) <= 0.00001)
        return " -ofps 60000/1001";
    return " -ofps " + FixedSixDecimals(rate);
}

std::string AviFamilyBlock(int video, int audio, const DerivedValues& d, const std::string& volume) {
    std::string block;
    if (video == 0 && audio == 0) {
        block = " -oac mp3lame -ovc lavc" + Format(" -lameopts vbr=3:br=%d:mode=3", d.audioBitrate) +
                Format(" -lavcopts vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31:autoaspect=1", d.videoBitrate) +
                " -ffourcc DX50";
    } else if (video == 0 && audio == 1) {
        block = " -oac lavc -ovc lavc" +
                Format(" -lavcopts acodec=ac3:abitrate=%d:vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31:autoaspect=1",
                       d.audioBitrate, d.videoBitrate) +
                " -ffourcc DX50";
    } else if (video == 1 && audio == 0) {
        block = " -oac mp3lame -ovc xvid" + Format(" -lameopts vbr=3:br=%d:mode=3", d.audioBitrate) +
                Format(" -xvidencopts bitrate=%d:autoaspect=1", d.videoBitrate);
    } else if (video == 1 && audio == 1) {
        block = " -oac lavc -ovc xvid" + Format(" -lavcopts acodec=ac3:abitrate=%d", d.audioBitrate) +
                Format(" -xvidencopts bitrate=%d:autoaspect=1", d.videoBitrate);
    }
    block += " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";
    if (audio == 1)
        block += " -af volume=" + volume + ":channels=6:lavcresample=44100 -srate 44100";
    else
        block += " -af volume=" + volume + ":channels=2";
    return block;
}

std::string Mpeg1Block(const DerivedValues& d, const std::string& volume, const std::string& aspect) {
    return " -af volume=" + volume + ":channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc" +
           Format(" -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=%d:vbitrate=%d:vrc_maxrate=%d:"
                  "acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
                  d.videoBitrate, d.videoBitrate, d.videoBitrate, d.audioBitrate, aspect.c_str()) +
           " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
}

std::string Mpeg2Block(const DerivedValues& d, const std::string& volume, const std::string& aspect) {
    return " -oac lavc -ovc lavc" +
           Format(" -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=%d:acodec=mp2:"
                  "abitrate=%d:autoaspect=1:aspect=%s",
                  d.videoBitrate, d.audioBitrate, aspect.c_str()) +
           " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames" +
           " -af volume=" + volume + ":channels=2:lavcresample=44100 -srate 44100";
}

// PAL discs want a GOP of 15 frames, NTSC ones 18.
int DiscKeyInterval(int tvMode) {
    return tvMode == 0 ? 18 : 15;
}

std::string VcdBlock(int tvMode, const DerivedValues& d, const std::string& volume, const std::string& aspect) {
    return " -oac lavc -ovc lavc -of mpeg" +
           Format(" -lavcopts vcodec=mpeg1video:keyint=%d:vrc_buf_size=327:vrc_minrate=%d:vbitrate=%d:vrc_maxrate=%d:"
                  "acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
                  DiscKeyInterval(tvMode), d.videoBitrate, d.videoBitrate, d.videoBitrate, d.audioBitrate,
                  aspect.c_str()) +
           " -mpegopts format=xvcd -af volume=" + volume + ":channels=2:lavcresample=44100 -srate 44100";
}

std::string SvcdBlock(int tvMode, const DerivedValues& d, const std::string& volume, const std::string& aspect) {
    // The peak rate lies halfway between the average and the format's 2500 kbit/s ceiling.
    const int peak = d.videoBitrate + (2500 - d.videoBitrate) / 2;
    return " -oac lavc -ovc lavc -of mpeg" +
           Format(" -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=%d:vbitrate=%d:"
                  "acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
                  DiscKeyInterval(tvMode), peak, d.videoBitrate, d.audioBitrate, aspect.c_str()) +
           " -mpegopts format=xsvcd -af volume=" + volume + ":channels=2:lavcresample=44100 -srate 44100";
}

std::string DvdBlock(const ConversionSettings& s, const DerivedValues& d, const std::string& volume,
                     const std::string& aspect) {
    const char* audioCodec = s.dvdAudioCodec == 0 ? "ac3" : "mp2";
    // No channel count: a DVD keeps the source's channels.
    return " -oac lavc -ovc lavc -of mpeg" +
           Format(" -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=%d:acodec=%s:"
                  "abitrate=%d:autoaspect=1:aspect=%s",
                  DiscKeyInterval(s.tvMode), d.videoBitrate, audioCodec, d.audioBitrate, aspect.c_str()) +
           " -mpegopts format=dvd -af volume=" + volume + ":lavcresample=48000 -srate 48000";
}

std::string WindowsMediaBlock(const ConversionSettings& s, const DerivedValues& d, const std::string& volume) {
    // The Windows Media encoders run on a fixed quantiser: 29 - 2.5 x quality, truncated toward zero. Done in
    // 64-bit integers so that any stored quality gives a defined number.
    const long long quantiser = (58 - 5 * static_cast<long long>(s.wmvQuality)) / 2;
    const char* videoCodec = "wmv2";
    int audioChoice = s.wmvAudioCodec;
    const char* container = "wmv";
    if (s.outputFormat == FORMAT_ASF) {
        videoCodec = s.asfVideoCodec == 0 ? "msmpeg4" : s.asfVideoCodec == 1 ? "msmpeg4v2" : "wmv2";
        audioChoice = s.asfAudioCodec;
        container = "asf";
    }
    const char* audioCodec = audioChoice == 0 ? "wmav1" : "wmav2";
    return " -oac lavc -ovc lavc" +
           Format(" -lavcopts vcodec=%s:acodec=%s:vqscale=%lld:abitrate=%d:autoaspect=1", videoCodec, audioCodec,
                  quantiser, d.audioBitrate) +
           Format(" -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=%s", container) +
           " -sws 2 -af volume=" + volume + ":channels=2 -srate 44100";
}

// MP4, MKV and WebM: a CRF per codec from the quality step, the source's channels up to 5.1, and for MP4 the index
// first. A copied stream gets no settings at all.
std::string ConstantQualityBlock(const FormatDescription& format, const ConversionSettings& s,
                                 const std::string& volume) {
    const std::vector<ConstantQualityStep>& ladder = ConstantQualityLadder();
    const std::int32_t position = s.*format.qualityField;
    const ConstantQualityStep& step =
        ladder[position >= 0 && static_cast<std::size_t>(position) < ladder.size() ? position
                                                                                   : kDefaultConstantQuality];
    const Codec video = ChosenCodec(s, SettingKind::VideoCodec).value_or(Codec::Copy);
    const Codec audio = ChosenCodec(s, SettingKind::AudioCodec).value_or(Codec::Copy);

    std::string lavc;
    const auto addLavc = [&](const std::string& part) { lavc += (lavc.empty() ? "" : ":") + part; };
    std::string x264;
    switch (video) {
    case Codec::H264:
        x264 = Format(" -x264encopts crf=%d:preset=medium", step.x264Crf);
        break;
    case Codec::H265:
        addLavc(Format("vcodec=libx265:o=crf=%d,preset=medium", step.x265Crf));
        break;
    case Codec::Vp9:
        addLavc(Format("vcodec=libvpx-vp9:o=crf=%d,row-mt=1,cpu-used=%d", step.vp9Crf, kVp9Speed));
        break;
    case Codec::Av1:
        addLavc(Format("vcodec=libsvtav1:o=crf=%d,preset=%d", step.av1Crf, kAv1Preset));
        break;
    default:
        break;
    }
    if (audio == Codec::Aac)
        addLavc(Format("acodec=aac:abitrate=%d", step.aacBitrate));
    else if (audio == Codec::Opus)
        addLavc(Format("acodec=libopus:abitrate=%d", step.opusBitrate));

    std::string block = audio == Codec::Copy ? " -oac copy" : " -oac lavc";
    block += video == Codec::Copy ? " -ovc copy" : video == Codec::H264 ? " -ovc x264" : " -ovc lavc";
    if (!lavc.empty())
        block += " -lavcopts " + lavc;
    block += x264;
    // The source's channels, up to 5.1: stereo stays stereo, mono stays mono.
    if (audio != Codec::Copy)
        block += " -af volume=" + volume + " -channels 6";
    block += std::string(" -of lavf -lavfopts format=") + format.muxer;
    if (format.indexFirst)
        block += ":o=movflags=+faststart";
    return block;
}

std::string FormatBlock(const ConversionSettings& s, const DerivedValues& d) {
    const FormatDescription* format = DescribeFormat(s.outputFormat);
    if (!format)
        return {};
    const std::string volume = VolumeText(s.volume);
    const std::string aspect = DeriveAspectText(s);
    switch (format->block) {
    case EncoderBlock::Avi:
        return AviFamilyBlock(s.aviVideoCodec, s.aviAudioCodec, d, volume);
    case EncoderBlock::Zodi:
        return AviFamilyBlock(0, s.zodiAudioCodec, d, volume);
    case EncoderBlock::Xvid:
        return AviFamilyBlock(1, s.xvidAudioCodec, d, volume);
    case EncoderBlock::Mpeg1:
        return Mpeg1Block(d, volume, aspect);
    case EncoderBlock::Mpeg2:
        return Mpeg2Block(d, volume, aspect);
    case EncoderBlock::Vcd:
        return VcdBlock(s.tvMode, d, volume, aspect);
    case EncoderBlock::Svcd:
        return SvcdBlock(s.tvMode, d, volume, aspect);
    case EncoderBlock::Dvd:
        return DvdBlock(s, d, volume, aspect);
    case EncoderBlock::WindowsMedia:
        return WindowsMediaBlock(s, d, volume);
    case EncoderBlock::ConstantQuality:
        return ConstantQualityBlock(*format, s, volume);
    }
    return {};
}

std::string VideoFilter(const DerivedValues& d, const EncoderJob& job) {
    const int w = d.frameWidth;
    const int h = d.frameHeight;
    if (job.spareWidth > 0)
        return Format(" -vf scale=-3:%d,harddup,expand=%d:%d", h, w, h);
    if (job.spareHeight > 0)
        return Format(" -vf scale=%d:-3,harddup,expand=%d:%d", w, w, h);
    if (w != 0 && h != 0)
        return Format(" -vf scale=%d:%d,harddup", w, h);
    return {};
}

template <typename Row>
const Row* RowAt(const std::vector<Row>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

} // namespace

std::string PathProblem(const std::string& path) {
    if (path.find('"') != std::string::npos)
        return "The path " + path + " holds a double quote, which can't be passed to the encoder.";
    if (path.find_first_of("\r\n") != std::string::npos)
        return "The path " + path + " holds a line break, which can't be passed to the encoder.";
    if (path.size() > kMaxPathLength)
        return "The path " + path + " is longer than " + std::to_string(kMaxPathLength) + " characters.";
    return {};
}

void DeriveBitrates(const ConversionSettings& settings, DerivedValues& derived) {
    const SettingsField field = BindingField(settings.outputFormat, SettingKind::Quality);
    if (!field)
        return;
    if (const QualityStep* step = RowAt(QualityLadder(settings.outputFormat), settings.*field)) {
        derived.videoBitrate = step->videoBitrate;
        derived.audioBitrate = step->audioBitrate;
    }
}

std::string DeriveAspectText(const ConversionSettings& settings) {
    const int format = settings.outputFormat;
    const std::vector<AspectChoice>& table = AspectTable(format);
    if (table.empty())
        return {};
    const std::int32_t index = IsPlainMpeg(format) ? settings.mpegAspectRatio : settings.dvdAspectRatio;
    const AspectChoice* choice = RowAt(table, index);
    return choice ? choice->ratio : table.front().ratio;
}

void DeriveFrameRate(const ConversionSettings& settings, double sourceFrameRate, DerivedValues& derived) {
    const int format = settings.outputFormat;
    const std::vector<FrameRateChoice>& table = FrameRateTable(format);
    if (IsDiscFormat(format)) {
        derived.outputFrameRate = table[settings.tvMode == 0 ? 0 : 1].rate;
        return;
    }
    if (IsHdFormat(format)) {
        // "Original", a copied picture, or a position outside the list: the source's own timing (rate 0).
        const FrameRateChoice* choice = CopiesVideo(settings) ? nullptr : RowAt(table, settings.hdFrameRate);
        derived.outputFrameRate = choice ? choice->rate : 0;
        return;
    }
    if (!IsAviFamily(format) && !IsPlainMpeg(format)) {
        derived.outputFrameRate = kKeepTimestamps;
        return;
    }
    const std::int32_t index = IsAviFamily(format) ? settings.aviFrameRate : settings.mpegFrameRate;
    if (index != 0) {
        // Any other stored value falls back to the list's last (highest) rate.
        const FrameRateChoice* choice = RowAt(table, index);
        derived.outputFrameRate = choice ? choice->rate : table.back().rate;
        return;
    }
    double rate = sourceFrameRate;
    if (IsAviFamily(format)) {
        // Keep the source's own rate within what the AVI encoders handle well.
        if (rate < 14.985)
            rate = 14.985;
        else if (rate > 60)
            rate = 30;
    } else {
        // MPEG only knows a handful of rates: snap the source's rate to one of them.
        if (rate < 24)
            rate = 23.976;
        else if (rate < 25)
            rate = 24;
        else if (rate < 28)
            rate = 25;
        else if (rate < 30)
            rate = 29.97;
        else
            rate = 30;
    }
    derived.outputFrameRate = rate;
}

void DeriveFrameSize(const ConversionSettings& settings, DerivedValues& derived) {
    const int format = settings.outputFormat;
    const std::vector<FrameSize>& table = ResolutionTable(format);
    FrameSize size{0, 0};
    if (IsDiscFormat(format)) {
        size = table[settings.tvMode == 0 ? 0 : 1];
    } else if (IsHdFormat(format)) {
        // A copied picture keeps its size.
        if (const FrameSize* row = RowAt(table, settings.hdResolution); row && !CopiesVideo(settings))
            size = *row;
    } else if (const FrameSize* row =
                   RowAt(table, IsPlainMpeg(format) ? settings.mpegResolution : settings.aviResolution)) {
        size = *row;
    }
    derived.frameWidth = size.width;
    derived.frameHeight = size.height;
}

std::string VolumeText(int volume) {
    return FormatVolumeLabel(volume) + ":0";
}

std::int64_t EndPositionHours(double sourceDuration) {
    constexpr std::int64_t kDefaultHours = 9;
    // Durations come from the probe's 32-bit report, so the hours always fit; anything else is no duration.
    if (!(sourceDuration > kDefaultHours * 3600.0) || sourceDuration > 1e12)
        return kDefaultHours;
    return static_cast<std::int64_t>(std::ceil(sourceDuration / 3600.0));
}

ParameterText BuildParameterText(const ConversionSettings& settings, const EncoderJob& job) {
    ParameterText result;
    std::vector<const std::string*> paths = {&job.inputPath, &job.outputPath};
    for (const std::string& path : job.probeList)
        paths.push_back(&path);
    for (const std::string* path : paths) {
        result.error = PathProblem(*path);
        if (!result.ok())
            return result;
    }
    DerivedValues& derived = result.derived;
    DeriveBitrates(settings, derived);
    DeriveFrameRate(settings, job.sourceFrameRate, derived);
    DeriveFrameSize(settings, derived);

    if (job.probeList.empty())
        result.text = "\"" + job.inputPath + "\"";
    for (const std::string& path : job.probeList)
        result.text += (result.text.empty() ? "\"" : " \"") + path + "\"";
    result.text += " -o \"" + job.outputPath + "\"";
    result.text += FormatBlock(settings, derived);
    result.text += FrameRateOption(derived.outputFrameRate, IsHdFormat(settings.outputFormat));
    result.text += VideoFilter(derived, job);
    result.text += " -endpos " + std::to_string(EndPositionHours(job.sourceDuration)) + ":0:0 " +
                   std::to_string(job.probeOnly) + " " + std::to_string(job.windowHandle);
    return result;
}

std::vector<std::string> SplitParameterText(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            // A quote opens an argument even when nothing follows, so an empty path stays an argument.
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument)
                args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args.push_back(current);
    return args;
}
