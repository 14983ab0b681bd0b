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
    return CodecList{std::move(texts), nullptr};
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
     &S::aviQuality, CodecList{{"Zodi", "Xvid"}, &S::aviVideoCodec}, CodecList{{"MP3", "AC3"}, &S::aviAudioCodec},
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_MPEG1, "MPEG1 Format (*.mpg)", "mpeg", "mpeg1", FormatGroup::PlainMpeg, EncoderBlock::Mpeg1, &kMpeg1Ladder,
     &S::mpeg1Quality, Fixed({"MPEG1"}), Fixed({"MP2"}), Stored(kMpegResolutions, &S::mpegResolution),
     Stored(kMpegFrameRates, &S::mpegFrameRate), Stored(kMpegAspects, &S::mpegAspectRatio)},
    {FORMAT_MPEG2, "MPEG2 Format (*.mpg)", "mpeg", "mpeg2", FormatGroup::PlainMpeg, EncoderBlock::Mpeg2, &kMpeg2Ladder,
     &S::mpeg2Quality, Fixed({"MPEG2"}), Fixed({"MP2"}), Stored(kMpegResolutions, &S::mpegResolution),
     Stored(kMpegFrameRates, &S::mpegFrameRate), Stored(kMpegAspects, &S::mpegAspectRatio)},
    {FORMAT_ZODI, "ZodI Format (*.avi)", "avi", "zodi", FormatGroup::AviFamily, EncoderBlock::Zodi, &kAviLadder,
     &S::aviQuality, Fixed({"Zodi"}), CodecList{{"MP3", "AC3"}, &S::zodiAudioCodec},
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_XVID, "Xvid Format (*.avi)", "avi", "xvid", FormatGroup::AviFamily, EncoderBlock::Xvid, &kAviLadder,
     &S::aviQuality, Fixed({"Xvid"}), CodecList{{"MP3", "AC3"}, &S::xvidAudioCodec},
     Stored(kAviResolutions, &S::aviResolution), Stored(kAviFrameRates, &S::aviFrameRate), kNoAspect},
    {FORMAT_VCD, "VCD compatible MPEG1 Format (*.mpg)", "mpeg", "vcd", FormatGroup::Disc, EncoderBlock::Vcd,
     &kMpeg1Ladder, &S::mpeg1Quality, Fixed({"MPEG1"}), Fixed({"MP2"}), FollowsTvMode(kVcdResolutions),
     FollowsTvMode(kVcdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_SVCD, "SVCD compatible MPEG2 Format (*.mpg)", "mpeg", "svcd", FormatGroup::Disc, EncoderBlock::Svcd,
     &kSvcdLadder, &S::svcdQuality, Fixed({"MPEG2"}), Fixed({"MP2"}), FollowsTvMode(kSvcdResolutions),
     FollowsTvMode(kSvcdDvdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_DVD, "DVD compatible MPEG2 Format (*.vob)", "vob", "dvd", FormatGroup::Disc, EncoderBlock::Dvd, &kDvdLadder,
     &S::dvdQuality, Fixed({"MPEG2"}), CodecList{{"AC3", "MP2"}, &S::dvdAudioCodec}, FollowsTvMode(kDvdResolutions),
     FollowsTvMode(kSvcdDvdFrameRates), Stored(kDiscAspects, &S::dvdAspectRatio)},
    {FORMAT_WMV, "WMV Format (*.wmv)", "wmv", "wmv", FormatGroup::WindowsMedia, EncoderBlock::WindowsMedia,
     &kWindowsMediaLadder, &S::wmvQuality, Fixed({"WMV8"}), CodecList{{"WMAv1", "WMAv2"}, &S::wmvAudioCodec},
     Stored(kAviResolutions, &S::aviResolution), FixedRows(kAutoFrameRate), kNoAspect},
    {FORMAT_ASF, "ASF Format (*.ASF)", "asf", "asf", FormatGroup::WindowsMedia, EncoderBlock::WindowsMedia,
     &kWindowsMediaLadder, &S::wmvQuality, CodecList{{"msmpeg4", "msmpeg4v2", "WMV8"}, &S::asfVideoCodec},
     CodecList{{"WMAv1", "WMAv2"}, &S::asfAudioCodec}, Stored(kAviResolutions, &S::aviResolution),
     FixedRows(kAutoFrameRate), kNoAspect},
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
        for (std::size_t i = 0; i < description->ladder->size(); ++i)
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
    return description ? *description->ladder : kNoLadder;
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
