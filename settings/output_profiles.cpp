#include "settings/output_profiles.h"

#include <cstdio>

namespace {

using S = ConversionSettings;

// Every number here reaches the encoder as well as the screen; see parameter_text.cpp.
const std::vector<QualityStep> kAviLadder{
    {"Lowest", 384, 64}, {"Lower", 512, 80},    {"Low", 640, 96},    {"Normal", 768, 96}, {"Medium", 1000, 128},
    {"Good", 1200, 128}, {"Better", 1500, 160}, {"High", 2000, 192}, {"Best", 2500, 224},
};
const std::vector<QualityStep> kMpeg1Ladder{
    {"Low", 512, 96}, {"Normal", 640, 128}, {"Medium", 800, 128}, {"Good", 1000, 192}, {"Best", 1152, 192},
};
const std::vector<QualityStep> kMpeg2Ladder{
    {"Lower", 800, 96},    {"Low", 1200, 112},  {"Normal", 1600, 128},
    {"Medium", 2000, 160}, {"Good", 3000, 224}, {"Best", 5000, 224},
};
const std::vector<QualityStep> kSvcdLadder{
    {"Low", 800, 128}, {"Normal", 1200, 192}, {"Medium", 1600, 224}, {"Good", 2000, 224}, {"Best", 2500, 224},
};
// The DVD ladder differs from the MPEG2 one only in its first step's audio rate.
const std::vector<QualityStep> kDvdLadder{
    {"Lower", 800, 112},   {"Low", 1200, 112},  {"Normal", 1600, 128},
    {"Medium", 2000, 160}, {"Good", 3000, 224}, {"Best", 5000, 224},
};
const std::vector<QualityStep> kWindowsMediaLadder{
    {"Lowest", 192, 64}, {"Lower", 256, 64},    {"Low", 384, 80},    {"Normal", 640, 96}, {"Medium", 768, 128},
    {"Good", 1000, 128}, {"Better", 1250, 160}, {"High", 1500, 192}, {"Best", 2000, 224},
};
const std::vector<QualityStep> kNoLadder;

// One step is about the same picture in each codec: x264's CRFs fall by three a step, and the others' were matched to
// them by SSIM against the source on 720p clips with fine detail, motion and film grain. Audio follows the step.
const std::vector<ConstantQualityStep> kConstantQualityLadder{
    {"1.Smallest (quick previews, slow links)", 32, 33, 52, 52, 96, 64},
    {"2.Small (messages and e-mail)", 29, 30, 47, 46, 112, 80},
    {"3.Compact (phones and tablets)", 26, 26, 41, 39, 128, 96},
    {"4.Standard (web, laptops and TV)", 23, 23, 33, 33, 160, 128},
    {"5.High (large screens)", 20, 19, 27, 27, 192, 160},
    {"6.Best (keeping, further editing)", 17, 17, 23, 20, 256, 192},
};

const std::vector<FrameSize> kAviResolutions{
    {0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120}, {176, 120}, {176, 144},
    {192, 144}, {240, 180}, {320, 200}, {320, 240}, {352, 240}, {352, 288}, {480, 272},
    {480, 480}, {480, 576}, {624, 352}, {640, 480}, {720, 480}, {720, 576},
};
// Plain MPEG offers the AVI sizes except 480 x 272 and 624 x 352, so positions differ from 13 on.
const std::vector<FrameSize> kMpegResolutions{
    {0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120}, {176, 120}, {176, 144}, {192, 144}, {240, 180},
    {320, 200}, {320, 240}, {352, 240}, {352, 288}, {480, 480}, {480, 576}, {640, 480}, {720, 480}, {720, 576},
};
const std::vector<FrameSize> kVcdResolutions{{352, 240}, {352, 288}};
const std::vector<FrameSize> kSvcdResolutions{{480, 480}, {480, 576}};
const std::vector<FrameSize> kDvdResolutions{{720, 480}, {720, 576}};
const std::vector<FrameSize> kHdResolutions{
    {0, 0}, {640, 360}, {854, 480}, {1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160},
};

const std::vector<FrameRateChoice> kAviFrameRates{
    {"Original", 0},  {"14.985 fps", 14.985}, {"20.0 fps", 20},     {"23.976 fps", 23.976},
    {"24.0 fps", 24}, {"25.0 fps", 25},       {"29.97 fps", 29.97}, {"30.0 fps", 30},
};
const std::vector<FrameRateChoice> kMpegFrameRates{
    {"Original", 0}, {"23.976 fps", 23.976}, {"24.0 fps", 24}, {"25.0 fps", 25}, {"29.97 fps", 29.97}, {"30.0 fps", 30},
};
const std::vector<FrameRateChoice> kVcdFrameRates{{"23.976 fps", 23.976}, {"25.0 fps", 25}};
const std::vector<FrameRateChoice> kSvcdDvdFrameRates{{"29.97 fps", 29.97}, {"25.0 fps", 25}};
const std::vector<FrameRateChoice> kAutoFrameRate{{"Auto", 0}};
const std::vector<FrameRateChoice> kHdFrameRates{
    {"Original", 0},  {"23.976 fps", 23.976}, {"24.0 fps", 24},     {"25.0 fps", 25}, {"29.97 fps", 29.97},
    {"30.0 fps", 30}, {"50.0 fps", 50},       {"59.94 fps", 59.94}, {"60.0 fps", 60},
};

const std::vector<AspectChoice> kMpegAspects{
    {"1:1    (PC VAG)", "1/1"},
    {"4:3    (Standard TV)", "4/3"},
    {"16:9   (Wide screen TV)", "16/9"},
    {"2.21:1 (CinemaScope movie)", "2.21/1"},
};
const std::vector<AspectChoice> kDiscAspects{
    {"4:3    (Standard TV)", "4/3"},
    {"16:9   (Wide screen TV)", "16/9"},
};
const std::vector<AspectChoice> kNoAspects;

using Binding = ChoiceList::Binding;

CodecList Fixed(std::vector<std::string> texts) {
    return CodecList{std::move(texts), nullptr, {}};
}

CodecList Choices(std::vector<std::string> texts, SettingsField field) {
    return CodecList{std::move(texts), field, {}};
}

// A list of the constant-quality formats' codecs, stored in `field`.
CodecList Codecs(std::vector<Codec> codecs, SettingsField field) {
    std::vector<std::string> texts;
    for (const Codec codec : codecs)
        texts.emplace_back(CodecText(codec));
    return CodecList{std::move(texts), field, std::move(codecs)};
}

// A list of rows bound to a field, to the TV mode, or fixed at its first row.
template <typename Row>
RowList<Row> Stored(const std::vector<Row>& rows, SettingsField field) {
    return RowList<Row>{&rows, Binding::Field, field};
}
template <typename Row>
RowList<Row> FollowsTvMode(const std::vector<Row>& rows) {
    return RowList<Row>{&rows, Binding::TvMode, nullptr};
}
template <typename Row>
RowList<Row> FixedRows(const std::vector<Row>& rows) {
    return RowList<Row>{&rows, Binding::Fixed, nullptr};
}

const RowList<AspectChoice> kNoAspect = FixedRows(kNoAspects);

// One entry per format, in OutputFormat order.
const FormatDescription kFormats[] = {
    {FORMAT_AVI, "AVI Format (*.avi)", "avi", "avi", FormatGroup::AviFamily, EncoderBlock::Avi, &kAviLadder,
     &S::aviQuality, Choices({"Zodi", "Xvid"}, &S::aviVideoCodec), Choices({"MP3", "AC3"}, &S::aviAudioCodec),
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_MPEG1, "MPEG1 Format (*.mpg)", "mpeg", "mpeg1", FormatGroup::PlainMpeg, EncoderBlock::Mpeg1, &kMpeg1Ladder,
     &S::mpeg1Quality, Fixed({"MPEG1"}), Fixed({"MP2"}), Stored(kMpegResolutions, &S::mpegResolution),
     Stored(kMpegFrameRates, &S::mpegFrameRate), Stored(kMpegAspects, &S::mpegAspectRatio)},
    {FORMAT_MPEG2, "MPEG2 Format (*.mpg)", "mpeg", "mpeg2", FormatGroup::PlainMpeg, EncoderBlock::Mpeg2, &kMpeg2Ladder,
     &S::mpeg2Quality, Fixed({"MPEG2"}), Fixed({"MP2"}), Stored(kMpegResolutions, &S::mpegResolution),
     Stored(kMpegFrameRates, &S::mpegFrameRate), Stored(kMpegAspects, &S::mpegAspectRatio)},
    {FORMAT_ZODI, "ZodI Format (*.avi)", "avi", "zodi", FormatGroup::AviFamily, EncoderBlock::Zodi, &kAviLadder,
     &S::aviQuality, Fixed({"Zodi"}), Choices({"MP3", "AC3"}, &S::zodiAudioCodec),
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_XVID, "Xvid Format (*.avi)", "avi", "xvid", FormatGroup::AviFamily, EncoderBlock::Xvid, &kAviLadder,
     &S::aviQuality, Fixed({"Xvid"}), Choices({"MP3", "AC3"}, &S::xvidAudioCodec),
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_VCD, "VCD compatible MPEG1 Format (*.mpg)", "mpeg", "vcd", FormatGroup::Disc, EncoderBlock::Vcd,
     &kMpeg1Ladder, &S::mpeg1Quality, Fixed({"MPEG1"}), Fixed({"MP2"}), FollowsTvMode(kVcdResolutions),
     FollowsTvMode(kVcdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_SVCD, "SVCD compatible MPEG2 Format (*.mpg)", "mpeg", "svcd", FormatGroup::Disc, EncoderBlock::Svcd,
     &kSvcdLadder, &S::svcdQuality, Fixed({"MPEG2"}), Fixed({"MP2"}), FollowsTvMode(kSvcdResolutions),
     FollowsTvMode(kSvcdDvdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_DVD, "DVD compatible MPEG2 Format (*.vob)", "vob", "dvd", FormatGroup::Disc, EncoderBlock::Dvd, &kDvdLadder,
     &S::dvdQuality, Fixed({"MPEG2"}), Choices({"AC3", "MP2"}, &S::dvdAudioCodec), FollowsTvMode(kDvdResolutions),
     FollowsTvMode(kSvcdDvdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_WMV, "WMV Format (*.wmv)", "wmv", "wmv", FormatGroup::WindowsMedia, EncoderBlock::WindowsMedia,
     &kWindowsMediaLadder, &S::wmvQuality, Fixed({"WMV8"}), Choices({"WMAv1", "WMAv2"}, &S::wmvAudioCodec),
     Stored(kAviResolutions, &S::aviResolution), FixedRows(kAutoFrameRate), kNoAspect},
    {FORMAT_ASF, "ASF Format (*.ASF)", "asf", "asf", FormatGroup::WindowsMedia, EncoderBlock::WindowsMedia,
     &kWindowsMediaLadder, &S::wmvQuality, Choices({"msmpeg4", "msmpeg4v2", "WMV8"}, &S::asfVideoCodec),
     Choices({"WMAv1", "WMAv2"}, &S::asfAudioCodec), Stored(kAviResolutions, &S::aviResolution),
     FixedRows(kAutoFrameRate), kNoAspect},
    {FORMAT_MP4, "MP4 Format (*.mp4)", "mp4", "mp4", FormatGroup::Hd, EncoderBlock::ConstantQuality, nullptr,
     &S::mp4Quality, Codecs({Codec::H264, Codec::H265, Codec::Copy}, &S::mp4VideoCodec),
     Codecs({Codec::Aac, Codec::Copy}, &S::mp4AudioCodec), Stored(kHdResolutions, &S::hdResolution),
     Stored(kHdFrameRates, &S::hdFrameRate), kNoAspect, "mp4", true},
    {FORMAT_MKV, "MKV Format (*.mkv)", "mkv", "mkv", FormatGroup::Hd, EncoderBlock::ConstantQuality, nullptr,
     &S::mkvQuality, Codecs({Codec::H264, Codec::H265, Codec::Av1, Codec::Copy}, &S::mkvVideoCodec),
     Codecs({Codec::Aac, Codec::Opus, Codec::Copy}, &S::mkvAudioCodec), Stored(kHdResolutions, &S::hdResolution),
     Stored(kHdFrameRates, &S::hdFrameRate), kNoAspect, "matroska", false},
    {FORMAT_WEBM, "WebM Format (*.webm)", "webm", "webm", FormatGroup::Hd, EncoderBlock::ConstantQuality, nullptr,
     &S::webmQuality, Codecs({Codec::Vp9, Codec::Av1}, &S::webmVideoCodec), Codecs({Codec::Opus}, nullptr),
     Stored(kHdResolutions, &S::hdResolution), Stored(kHdFrameRates, &S::hdFrameRate), kNoAspect, "webm", false},
};
static_assert(std::size(kFormats) == kFormatCount, "one description per OutputFormat");

bool InGroup(int format, FormatGroup group) {
    const FormatDescription* description = DescribeFormat(format);
    return description && description->group == group;
}

ChoiceList FieldList(std::vector<std::string> texts, SettingsField field) {
    return ChoiceList{std::move(texts), Binding::Field, field, true};
}

ChoiceList FixedList(std::vector<std::string> texts) {
    return ChoiceList{std::move(texts), Binding::Fixed, nullptr, false};
}

ChoiceList CodecChoices(const CodecList& codecs) {
    return codecs.field ? FieldList(codecs.texts, codecs.field) : FixedList(codecs.texts);
}

// A list of rows as a dialog shows it: enabled only when bound to a field of its own.
template <typename Row, typename TextOf>
ChoiceList RowChoices(const RowList<Row>& list, TextOf textOf) {
    std::vector<std::string> texts;
    for (const Row& row : *list.rows)
        texts.push_back(textOf(row));
    return ChoiceList{std::move(texts), list.binding, list.field, list.binding == Binding::Field};
}

std::string ResolutionText(const FrameSize& size) {
    if (size.width == 0 && size.height == 0)
        return "Original";
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

} // namespace

const FormatDescription* DescribeFormat(int format) {
    return format >= 0 && format < kFormatCount ? &kFormats[format] : nullptr;
}

bool IsAviFamily(int format) {
    return InGroup(format, FormatGroup::AviFamily);
}
bool IsPlainMpeg(int format) {
    return InGroup(format, FormatGroup::PlainMpeg);
}
bool IsDiscFormat(int format) {
    return InGroup(format, FormatGroup::Disc);
}
bool IsWindowsMedia(int format) {
    return InGroup(format, FormatGroup::WindowsMedia);
}
bool IsHdFormat(int format) {
    return InGroup(format, FormatGroup::Hd);
}

const std::vector<ConstantQualityStep>& ConstantQualityLadder() {
    return kConstantQualityLadder;
}

const char* CodecText(Codec codec) {
    switch (codec) {
    case Codec::H264:
        return "H.264";
    case Codec::H265:
        return "H.265 (HEVC)";
    case Codec::Vp9:
        return "VP9";
    case Codec::Av1:
        return "AV1";
    case Codec::Aac:
        return "AAC";
    case Codec::Opus:
        return "Opus";
    case Codec::Copy:
        return "Copy (no re-encoding)";
    }
    return "";
}

std::optional<Codec> ChosenCodec(const ConversionSettings& settings, SettingKind kind) {
    const FormatDescription* description = DescribeFormat(settings.outputFormat);
    if (!description || (kind != SettingKind::VideoCodec && kind != SettingKind::AudioCodec))
        return std::nullopt;
    const CodecList& list = kind == SettingKind::VideoCodec ? description->video : description->audio;
    if (list.codecs.empty())
        return std::nullopt;
    const std::int32_t position = list.field ? settings.*list.field : 0;
    const bool inList = position >= 0 && static_cast<std::size_t>(position) < list.codecs.size();
    return list.codecs[inList ? static_cast<std::size_t>(position) : 0];
}

bool CopiesVideo(const ConversionSettings& settings) {
    return ChosenCodec(settings, SettingKind::VideoCodec) == Codec::Copy;
}

bool CopiesAudio(const ConversionSettings& settings) {
    return ChosenCodec(settings, SettingKind::AudioCodec) == Codec::Copy;
}

const std::vector<std::string>& FormatTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (const FormatDescription& description : kFormats)
            t.emplace_back(description.text);
        return t;
    }();
    return texts;
}

std::int32_t ChoiceList::Selection(const ConversionSettings& settings) const {
    switch (binding) {
    case Binding::Field:
        return settings.*field;
    case Binding::TvMode:
        return settings.tvMode;
    case Binding::Fixed:
        break;
    }
    return 0;
}

ChoiceList GetChoiceList(int format, SettingKind kind) {
    const FormatDescription* description = DescribeFormat(format);
    if (!description)
        return FixedList({});
    switch (kind) {
    case SettingKind::Quality: {
        std::vector<std::string> texts;
        if (!description->ladder) {
            for (const ConstantQualityStep& step : kConstantQualityLadder)
                texts.emplace_back(step.text);
        }
        for (std::size_t i = 0; description->ladder && i < description->ladder->size(); ++i)
            texts.push_back(QualityText(static_cast<int>(i), (*description->ladder)[i]));
        return FieldList(std::move(texts), description->qualityField);
    }
    case SettingKind::VideoCodec:
        return CodecChoices(description->video);
    case SettingKind::AudioCodec:
        return CodecChoices(description->audio);
    case SettingKind::TvMode:
        return description->group == FormatGroup::Disc ? FieldList({"NTSC", "PAL"}, &S::tvMode) : FixedList({"None"});
    case SettingKind::Resolution:
        return RowChoices(description->resolution, ResolutionText);
    case SettingKind::FrameRate:
        return RowChoices(description->frameRate, [](const FrameRateChoice& row) { return std::string(row.text); });
    case SettingKind::Aspect:
        if (description->aspect.rows->empty())
            return FixedList({"None"});
        return RowChoices(description->aspect, [](const AspectChoice& row) { return std::string(row.text); });
    }
    return FixedList({});
}

ChoiceList GetChoiceList(const ConversionSettings& settings, SettingKind kind) {
    ChoiceList list = GetChoiceList(settings.outputFormat, kind);
    if ((kind == SettingKind::Resolution || kind == SettingKind::FrameRate) && CopiesVideo(settings)) {
        // A copied picture keeps its size and timing: the list shows its first entry, "Original".
        list.binding = Binding::Fixed;
        list.field = nullptr;
        list.enabled = false;
    }
    return list;
}

SettingsField BindingField(int format, SettingKind kind) {
    const ChoiceList list = GetChoiceList(format, kind);
    return list.binding == ChoiceList::Binding::Field ? list.field : nullptr;
}

std::string FormatVolumeLabel(int volume) {
    // 64 bits: a hand-edited settings file may hold any 32-bit value.
    const long long gain = static_cast<long long>(volume) - 20;
    char text[32];
    std::snprintf(text, sizeof text, "%c%llddb", gain < 0 ? '-' : '+', gain < 0 ? -gain : gain);
    return text;
}

const std::vector<QualityStep>& QualityLadder(int format) {
    const FormatDescription* description = DescribeFormat(format);
    return description && description->ladder ? *description->ladder : kNoLadder;
}

std::string QualityText(int position, const QualityStep& step) {
    char text[96];
    std::snprintf(text, sizeof text, "%d.%-6s (video bitrate:%4dkbps; audio bitrate:%3dkbps)", position + 1, step.name,
                  step.videoBitrate, step.audioBitrate);
    return text;
}

const std::vector<FrameSize>& ResolutionTable(int format) {
    const FormatDescription* description = DescribeFormat(format);
    return description ? *description->resolution.rows : kAviResolutions;
}

const std::vector<FrameRateChoice>& FrameRateTable(int format) {
    const FormatDescription* description = DescribeFormat(format);
    return description ? *description->frameRate.rows : kAutoFrameRate;
}

const std::vector<AspectChoice>& AspectTable(int format) {
    const FormatDescription* description = DescribeFormat(format);
    return description ? *description->aspect.rows : kNoAspects;
}
