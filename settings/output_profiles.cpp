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

struct CodecList {
    std::vector<std::string> texts;
    SettingsField field; // null: fixed at position 0
};

// One row per format: everything that is not shared by a whole group.
struct FormatProfile {
    const char* text;
    const std::vector<QualityStep>* ladder;
    SettingsField qualityField;
    CodecList video;
    CodecList audio;
};

const FormatProfile kProfiles[kFormatCount] = {
    {"AVI Format (*.avi)",
     &kAviLadder,
     &S::aviQuality,
     {{"Zodi", "Xvid"}, &S::aviVideoCodec},
     {{"MP3", "AC3"}, &S::aviAudioCodec}},
    {"MPEG1 Format (*.mpg)", &kMpeg1Ladder, &S::mpeg1Quality, {{"MPEG1"}, nullptr}, {{"MP2"}, nullptr}},
    {"MPEG2 Format (*.mpg)", &kMpeg2Ladder, &S::mpeg2Quality, {{"MPEG2"}, nullptr}, {{"MP2"}, nullptr}},
    {"ZodI Format (*.avi)", &kAviLadder, &S::aviQuality, {{"Zodi"}, nullptr}, {{"MP3", "AC3"}, &S::zodiAudioCodec}},
    {"Xvid Format (*.avi)", &kAviLadder, &S::aviQuality, {{"Xvid"}, nullptr}, {{"MP3", "AC3"}, &S::xvidAudioCodec}},
    {"VCD compatible MPEG1 Format (*.mpg)", &kMpeg1Ladder, &S::mpeg1Quality, {{"MPEG1"}, nullptr}, {{"MP2"}, nullptr}},
    {"SVCD compatible MPEG2 Format (*.mpg)", &kSvcdLadder, &S::svcdQuality, {{"MPEG2"}, nullptr}, {{"MP2"}, nullptr}},
    {"DVD compatible MPEG2 Format (*.vob)",
     &kDvdLadder,
     &S::dvdQuality,
     {{"MPEG2"}, nullptr},
     {{"AC3", "MP2"}, &S::dvdAudioCodec}},
    {"WMV Format (*.wmv)",
     &kWindowsMediaLadder,
     &S::wmvQuality,
     {{"WMV8"}, nullptr},
     {{"WMAv1", "WMAv2"}, &S::wmvAudioCodec}},
    {"ASF Format (*.ASF)",
     &kWindowsMediaLadder,
     &S::wmvQuality,
     {{"msmpeg4", "msmpeg4v2", "WMV8"}, &S::asfVideoCodec},
     {{"WMAv1", "WMAv2"}, &S::asfAudioCodec}},
};

bool IsKnownFormat(int format) {
    return format >= 0 && format < kFormatCount;
}

ChoiceList FieldList(std::vector<std::string> texts, SettingsField field) {
    return ChoiceList{std::move(texts), ChoiceList::Binding::Field, field, true};
}

ChoiceList FixedList(std::vector<std::string> texts) {
    return ChoiceList{std::move(texts), ChoiceList::Binding::Fixed, nullptr, false};
}

ChoiceList TvModeList(std::vector<std::string> texts) {
    return ChoiceList{std::move(texts), ChoiceList::Binding::TvMode, nullptr, false};
}

ChoiceList CodecChoices(const CodecList& codecs) {
    return codecs.field ? FieldList(codecs.texts, codecs.field) : FixedList(codecs.texts);
}

std::string ResolutionText(const FrameSize& size) {
    if (size.width == 0 && size.height == 0)
        return "Original";
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

ChoiceList ResolutionChoices(int format) {
    std::vector<std::string> texts;
    for (const FrameSize& size : ResolutionTable(format))
        texts.push_back(ResolutionText(size));
    if (IsDiscFormat(format))
        return TvModeList(std::move(texts));
    return FieldList(std::move(texts), IsPlainMpeg(format) ? &S::mpegResolution : &S::aviResolution);
}

ChoiceList FrameRateChoices(int format) {
    std::vector<std::string> texts;
    for (const FrameRateChoice& choice : FrameRateTable(format))
        texts.emplace_back(choice.text);
    if (IsDiscFormat(format))
        return TvModeList(std::move(texts));
    if (IsWindowsMedia(format))
        return FixedList(std::move(texts));
    return FieldList(std::move(texts), IsPlainMpeg(format) ? &S::mpegFrameRate : &S::aviFrameRate);
}

ChoiceList AspectChoices(int format) {
    std::vector<std::string> texts;
    for (const AspectChoice& choice : AspectTable(format))
        texts.emplace_back(choice.text);
    if (texts.empty())
        return FixedList({"None"});
    return FieldList(std::move(texts), IsPlainMpeg(format) ? &S::mpegAspectRatio : &S::dvdAspectRatio);
}

} // namespace

bool IsAviFamily(int format) {
    return format == FORMAT_AVI || format == FORMAT_ZODI || format == FORMAT_XVID;
}
bool IsPlainMpeg(int format) {
    return format == FORMAT_MPEG1 || format == FORMAT_MPEG2;
}
bool IsDiscFormat(int format) {
    return format == FORMAT_VCD || format == FORMAT_SVCD || format == FORMAT_DVD;
}
bool IsWindowsMedia(int format) {
    return format == FORMAT_WMV || format == FORMAT_ASF;
}

const std::vector<std::string>& FormatTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (const FormatProfile& profile : kProfiles)
            t.emplace_back(profile.text);
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
    if (!IsKnownFormat(format))
        return FixedList({});
    const FormatProfile& profile = kProfiles[format];
    switch (kind) {
    case SettingKind::Quality: {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < profile.ladder->size(); ++i)
            texts.push_back(QualityText(static_cast<int>(i), (*profile.ladder)[i]));
        return FieldList(std::move(texts), profile.qualityField);
    }
    case SettingKind::VideoCodec:
        return CodecChoices(profile.video);
    case SettingKind::AudioCodec:
        return CodecChoices(profile.audio);
    case SettingKind::TvMode:
        return IsDiscFormat(format) ? FieldList({"NTSC", "PAL"}, &S::tvMode) : FixedList({"None"});
    case SettingKind::Resolution:
        return ResolutionChoices(format);
    case SettingKind::FrameRate:
        return FrameRateChoices(format);
    case SettingKind::Aspect:
        return AspectChoices(format);
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
    return IsKnownFormat(format) ? *kProfiles[format].ladder : kNoLadder;
}

std::string QualityText(int position, const QualityStep& step) {
    char text[96];
    std::snprintf(text, sizeof text, "%d.%-6s (video bitrate:%4dkbps; audio bitrate:%3dkbps)", position + 1, step.name,
                  step.videoBitrate, step.audioBitrate);
    return text;
}

const std::vector<FrameSize>& ResolutionTable(int format) {
    switch (format) {
    case FORMAT_VCD:
        return kVcdResolutions;
    case FORMAT_SVCD:
        return kSvcdResolutions;
    case FORMAT_DVD:
        return kDvdResolutions;
    case FORMAT_MPEG1:
    case FORMAT_MPEG2:
        return kMpegResolutions;
    default:
        return kAviResolutions;
    }
}

const std::vector<FrameRateChoice>& FrameRateTable(int format) {
    if (IsAviFamily(format))
        return kAviFrameRates;
    if (IsPlainMpeg(format))
        return kMpegFrameRates;
    if (format == FORMAT_VCD)
        return kVcdFrameRates;
    if (IsDiscFormat(format))
        return kSvcdDvdFrameRates;
    return kAutoFrameRate;
}

const std::vector<AspectChoice>& AspectTable(int format) {
    if (IsPlainMpeg(format))
        return kMpegAspects;
    if (IsDiscFormat(format))
        return kDiscAspects;
    return kNoAspects;
}
