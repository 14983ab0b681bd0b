#include "settings/output_profiles.h"

#include <gtest/gtest.h>

namespace {

using S = ConversionSettings;
using Binding = ChoiceList::Binding;
using Texts = std::vector<std::string>;

// The entry a dialog would show selected, or "" when the stored position lies outside the list.
std::string Shown(int format, SettingKind kind, const ConversionSettings& settings) {
    const ChoiceList list = GetChoiceList(format, kind);
    const std::int32_t pos = list.Selection(settings);
    return pos >= 0 && static_cast<std::size_t>(pos) < list.texts.size() ? list.texts[pos] : "";
}

TEST(OutputProfiles, FormatTextsInComboOrder) {
    EXPECT_EQ(FormatTexts(), (Texts{"AVI Format (*.avi)", "MPEG1 Format (*.mpg)", "MPEG2 Format (*.mpg)",
                                    "ZodI Format (*.avi)", "Xvid Format (*.avi)", "VCD compatible MPEG1 Format (*.mpg)",
                                    "SVCD compatible MPEG2 Format (*.mpg)", "DVD compatible MPEG2 Format (*.vob)",
                                    "WMV Format (*.wmv)", "ASF Format (*.ASF)"}));
}

const Texts kAviLadder{
    "1.Lowest (video bitrate: 384kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 512kbps; audio bitrate: 80kbps)",
    "3.Low    (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "4.Normal (video bitrate: 768kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1200kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1500kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:2000kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};
const Texts kMpeg1Ladder{
    "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)",
    "2.Normal (video bitrate: 640kbps; audio bitrate:128kbps)",
    "3.Medium (video bitrate: 800kbps; audio bitrate:128kbps)",
    "4.Good   (video bitrate:1000kbps; audio bitrate:192kbps)",
    "5.Best   (video bitrate:1152kbps; audio bitrate:192kbps)",
};
const Texts kMpeg2Ladder{
    "1.Lower  (video bitrate: 800kbps; audio bitrate: 96kbps)",
    "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)",
    "3.Normal (video bitrate:1600kbps; audio bitrate:128kbps)",
    "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)",
    "5.Good   (video bitrate:3000kbps; audio bitrate:224kbps)",
    "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)",
};
const Texts kSvcdLadder{
    "1.Low    (video bitrate: 800kbps; audio bitrate:128kbps)",
    "2.Normal (video bitrate:1200kbps; audio bitrate:192kbps)",
    "3.Medium (video bitrate:1600kbps; audio bitrate:224kbps)",
    "4.Good   (video bitrate:2000kbps; audio bitrate:224kbps)",
    "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};
const Texts kDvdLadder{
    "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)",
    "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)",
    "3.Normal (video bitrate:1600kbps; audio bitrate:128kbps)",
    "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)",
    "5.Good   (video bitrate:3000kbps; audio bitrate:224kbps)",
    "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)",
};
const Texts kWindowsMediaLadder{
    "1.Lowest (video bitrate: 192kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 256kbps; audio bitrate: 64kbps)",
    "3.Low    (video bitrate: 384kbps; audio bitrate: 80kbps)",
    "4.Normal (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate: 768kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1000kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1250kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:1500kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)",
};

struct ListCase {
    int format;
    Texts texts;
    Binding binding;
    SettingsField field;
};

void ExpectList(SettingKind kind, const ListCase& c) {
    SCOPED_TRACE("format " + std::to_string(c.format));
    const ChoiceList list = GetChoiceList(c.format, kind);
    EXPECT_EQ(list.texts, c.texts);
    EXPECT_EQ(list.binding, c.binding);
    EXPECT_EQ(list.field, c.field);
    // Only a list whose pick lands in a field may be changed; tvMode-bound lists follow the TV mode.
    EXPECT_EQ(list.enabled, c.binding == Binding::Field);
    EXPECT_EQ(BindingField(c.format, kind), c.binding == Binding::Field ? c.field : nullptr);
}

TEST(OutputProfiles, QualityLaddersAndTheirFields) {
    const ListCase cases[] = {
        {FORMAT_AVI, kAviLadder, Binding::Field, &S::aviQuality},
        {FORMAT_ZODI, kAviLadder, Binding::Field, &S::aviQuality},
        {FORMAT_XVID, kAviLadder, Binding::Field, &S::aviQuality},
        {FORMAT_MPEG1, kMpeg1Ladder, Binding::Field, &S::mpeg1Quality},
        {FORMAT_VCD, kMpeg1Ladder, Binding::Field, &S::mpeg1Quality},
        {FORMAT_MPEG2, kMpeg2Ladder, Binding::Field, &S::mpeg2Quality},
        {FORMAT_SVCD, kSvcdLadder, Binding::Field, &S::svcdQuality},
        {FORMAT_DVD, kDvdLadder, Binding::Field, &S::dvdQuality},
        {FORMAT_WMV, kWindowsMediaLadder, Binding::Field, &S::wmvQuality},
        {FORMAT_ASF, kWindowsMediaLadder, Binding::Field, &S::wmvQuality},
    };
    for (const ListCase& c : cases)
        ExpectList(SettingKind::Quality, c);
}

TEST(OutputProfiles, CodecListsPerFormat) {
    const ListCase video[] = {
        {FORMAT_AVI, {"Zodi", "Xvid"}, Binding::Field, &S::aviVideoCodec},
        {FORMAT_MPEG1, {"MPEG1"}, Binding::Fixed, nullptr},
        {FORMAT_VCD, {"MPEG1"}, Binding::Fixed, nullptr},
        {FORMAT_MPEG2, {"MPEG2"}, Binding::Fixed, nullptr},
        {FORMAT_SVCD, {"MPEG2"}, Binding::Fixed, nullptr},
        {FORMAT_ZODI, {"Zodi"}, Binding::Fixed, nullptr},
        {FORMAT_XVID, {"Xvid"}, Binding::Fixed, nullptr},
        {FORMAT_DVD, {"MPEG2"}, Binding::Fixed, nullptr},
        {FORMAT_WMV, {"WMV8"}, Binding::Fixed, nullptr},
        {FORMAT_ASF, {"msmpeg4", "msmpeg4v2", "WMV8"}, Binding::Field, &S::asfVideoCodec},
    };
    for (const ListCase& c : video)
        ExpectList(SettingKind::VideoCodec, c);

    const ListCase audio[] = {
        {FORMAT_AVI, {"MP3", "AC3"}, Binding::Field, &S::aviAudioCodec},
        {FORMAT_MPEG1, {"MP2"}, Binding::Fixed, nullptr},
        {FORMAT_VCD, {"MP2"}, Binding::Fixed, nullptr},
        {FORMAT_MPEG2, {"MP2"}, Binding::Fixed, nullptr},
        {FORMAT_SVCD, {"MP2"}, Binding::Fixed, nullptr},
        {FORMAT_ZODI, {"MP3", "AC3"}, Binding::Field, &S::zodiAudioCodec},
        {FORMAT_XVID, {"MP3", "AC3"}, Binding::Field, &S::xvidAudioCodec},
        {FORMAT_DVD, {"AC3", "MP2"}, Binding::Field, &S::dvdAudioCodec},
        {FORMAT_WMV, {"WMAv1", "WMAv2"}, Binding::Field, &S::wmvAudioCodec},
        {FORMAT_ASF, {"WMAv1", "WMAv2"}, Binding::Field, &S::asfAudioCodec},
    };
    for (const ListCase& c : audio)
        ExpectList(SettingKind::AudioCodec, c);
}

const Texts kAviResolutions{"Original",  "80 x 60",   "96 x 72",   "128 x 96",  "160 x 120", "176 x 120", "176 x 144",
                            "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240", "352 x 288", "480 x 272",
                            "480 x 480", "480 x 576", "624 x 352", "640 x 480", "720 x 480", "720 x 576"};
const Texts kMpegResolutions{"Original",  "80 x 60",   "96 x 72",   "128 x 96",  "160 x 120", "176 x 120",
                             "176 x 144", "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240",
                             "352 x 288", "480 x 480", "480 x 576", "640 x 480", "720 x 480", "720 x 576"};
const Texts kAviRates{"Original", "14.985 fps", "20.0 fps",  "23.976 fps",
                      "24.0 fps", "25.0 fps",   "29.97 fps", "30.0 fps"};
const Texts kMpegRates{"Original", "23.976 fps", "24.0 fps", "25.0 fps", "29.97 fps", "30.0 fps"};
const Texts kMpegAspects{"1:1    (PC VAG)", "4:3    (Standard TV)", "16:9   (Wide screen TV)",
                         "2.21:1 (CinemaScope movie)"};
const Texts kDiscAspects{"4:3    (Standard TV)", "16:9   (Wide screen TV)"};

TEST(OutputProfiles, TvModeResolutionFrameRateAndAspectLists) {
    struct GroupCase {
        SettingKind kind;
        ListCase list;
    };
    const GroupCase cases[] = {
        {SettingKind::TvMode, {FORMAT_AVI, {"None"}, Binding::Fixed, nullptr}},
        {SettingKind::TvMode, {FORMAT_MPEG2, {"None"}, Binding::Fixed, nullptr}},
        {SettingKind::TvMode, {FORMAT_WMV, {"None"}, Binding::Fixed, nullptr}},
        {SettingKind::TvMode, {FORMAT_VCD, {"NTSC", "PAL"}, Binding::Field, &S::tvMode}},
        {SettingKind::TvMode, {FORMAT_DVD, {"NTSC", "PAL"}, Binding::Field, &S::tvMode}},

        {SettingKind::Resolution, {FORMAT_AVI, kAviResolutions, Binding::Field, &S::aviResolution}},
        {SettingKind::Resolution, {FORMAT_XVID, kAviResolutions, Binding::Field, &S::aviResolution}},
        {SettingKind::Resolution, {FORMAT_WMV, kAviResolutions, Binding::Field, &S::aviResolution}},
        {SettingKind::Resolution, {FORMAT_ASF, kAviResolutions, Binding::Field, &S::aviResolution}},
        {SettingKind::Resolution, {FORMAT_MPEG1, kMpegResolutions, Binding::Field, &S::mpegResolution}},
        {SettingKind::Resolution, {FORMAT_MPEG2, kMpegResolutions, Binding::Field, &S::mpegResolution}},
        {SettingKind::Resolution, {FORMAT_VCD, {"352 x 240", "352 x 288"}, Binding::TvMode, nullptr}},
        {SettingKind::Resolution, {FORMAT_SVCD, {"480 x 480", "480 x 576"}, Binding::TvMode, nullptr}},
        {SettingKind::Resolution, {FORMAT_DVD, {"720 x 480", "720 x 576"}, Binding::TvMode, nullptr}},

        {SettingKind::FrameRate, {FORMAT_AVI, kAviRates, Binding::Field, &S::aviFrameRate}},
        {SettingKind::FrameRate, {FORMAT_ZODI, kAviRates, Binding::Field, &S::aviFrameRate}},
        {SettingKind::FrameRate, {FORMAT_MPEG1, kMpegRates, Binding::Field, &S::mpegFrameRate}},
        {SettingKind::FrameRate, {FORMAT_MPEG2, kMpegRates, Binding::Field, &S::mpegFrameRate}},
        {SettingKind::FrameRate, {FORMAT_VCD, {"23.976 fps", "25.0 fps"}, Binding::TvMode, nullptr}},
        {SettingKind::FrameRate, {FORMAT_SVCD, {"29.97 fps", "25.0 fps"}, Binding::TvMode, nullptr}},
        {SettingKind::FrameRate, {FORMAT_DVD, {"29.97 fps", "25.0 fps"}, Binding::TvMode, nullptr}},
        {SettingKind::FrameRate, {FORMAT_WMV, {"Auto"}, Binding::Fixed, nullptr}},
        {SettingKind::FrameRate, {FORMAT_ASF, {"Auto"}, Binding::Fixed, nullptr}},

        {SettingKind::Aspect, {FORMAT_MPEG1, kMpegAspects, Binding::Field, &S::mpegAspectRatio}},
        {SettingKind::Aspect, {FORMAT_MPEG2, kMpegAspects, Binding::Field, &S::mpegAspectRatio}},
        {SettingKind::Aspect, {FORMAT_VCD, kDiscAspects, Binding::Field, &S::dvdAspectRatio}},
        {SettingKind::Aspect, {FORMAT_SVCD, kDiscAspects, Binding::Field, &S::dvdAspectRatio}},
        {SettingKind::Aspect, {FORMAT_DVD, kDiscAspects, Binding::Field, &S::dvdAspectRatio}},
        {SettingKind::Aspect, {FORMAT_AVI, {"None"}, Binding::Fixed, nullptr}},
        {SettingKind::Aspect, {FORMAT_XVID, {"None"}, Binding::Fixed, nullptr}},
        {SettingKind::Aspect, {FORMAT_ASF, {"None"}, Binding::Fixed, nullptr}},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(static_cast<int>(c.kind)));
        ExpectList(c.kind, c.list);
    }
}

TEST(OutputProfiles, SelectionFollowsTheFormatsOwnField) {
    ConversionSettings s;
    s.aviVideoCodec = 1;
    s.aviAudioCodec = 1;
    s.zodiAudioCodec = 0;
    s.wmvAudioCodec = 0;
    s.asfAudioCodec = 1;
    s.aviResolution = 14;
    s.mpegResolution = 13;

    // From AVI to ZodI: the video codec is fixed, the audio pick is ZodI's own.
    EXPECT_EQ(Shown(FORMAT_AVI, SettingKind::VideoCodec, s), "Xvid");
    EXPECT_EQ(Shown(FORMAT_AVI, SettingKind::AudioCodec, s), "AC3");
    EXPECT_EQ(Shown(FORMAT_ZODI, SettingKind::VideoCodec, s), "Zodi");
    EXPECT_EQ(Shown(FORMAT_ZODI, SettingKind::AudioCodec, s), "MP3");
    // ASF shows its own audio pick, not the WMV one.
    EXPECT_EQ(Shown(FORMAT_WMV, SettingKind::AudioCodec, s), "WMAv1");
    EXPECT_EQ(Shown(FORMAT_ASF, SettingKind::AudioCodec, s), "WMAv2");
    // One stored resolution, positions that differ between the AVI and the MPEG list.
    for (int format : {FORMAT_AVI, FORMAT_ZODI, FORMAT_XVID, FORMAT_WMV, FORMAT_ASF})
        EXPECT_EQ(Shown(format, SettingKind::Resolution, s), "480 x 480") << format;
    s.aviResolution = 0;
    for (int format : {FORMAT_MPEG1, FORMAT_MPEG2})
        EXPECT_EQ(Shown(format, SettingKind::Resolution, s), "480 x 480") << format;
}

TEST(OutputProfiles, DiscResolutionAndFrameRateFollowTvMode) {
    struct Case {
        int format;
        int tvMode;
        const char* resolution;
        const char* frameRate;
    };
    const Case cases[] = {
        {FORMAT_SVCD, 1, "480 x 576", "25.0 fps"},  {FORMAT_SVCD, 0, "480 x 480", "29.97 fps"},
        {FORMAT_VCD, 0, "352 x 240", "23.976 fps"}, {FORMAT_VCD, 1, "352 x 288", "25.0 fps"},
        {FORMAT_DVD, 0, "720 x 480", "29.97 fps"},  {FORMAT_DVD, 1, "720 x 576", "25.0 fps"},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.tvMode = c.tvMode;
        s.aviResolution = 5;
        s.mpegResolution = 5;
        s.aviFrameRate = 2;
        s.mpegFrameRate = 2;
        EXPECT_EQ(Shown(c.format, SettingKind::Resolution, s), c.resolution) << c.format << "/" << c.tvMode;
        EXPECT_EQ(Shown(c.format, SettingKind::FrameRate, s), c.frameRate) << c.format << "/" << c.tvMode;
    }
}

TEST(OutputProfiles, StoredPositionsAreShownUnclamped) {
    ConversionSettings s;
    s.mpeg1Quality = 7;
    s.tvMode = 4;
    s.outputFormat = FORMAT_MPEG1;
    EXPECT_EQ(GetChoiceList(FORMAT_MPEG1, SettingKind::Quality).Selection(s), 7);
    EXPECT_EQ(Shown(FORMAT_MPEG1, SettingKind::Quality, s), "");
    EXPECT_EQ(GetChoiceList(FORMAT_DVD, SettingKind::Resolution).Selection(s), 4);
    // A fixed list always shows its only entry, whatever the field it would otherwise follow holds.
    EXPECT_EQ(GetChoiceList(FORMAT_MPEG1, SettingKind::TvMode).Selection(s), 0);
    s.aviVideoCodec = -3;
    EXPECT_EQ(GetChoiceList(FORMAT_XVID, SettingKind::VideoCodec).Selection(s), 0);
    EXPECT_EQ(GetChoiceList(FORMAT_AVI, SettingKind::VideoCodec).Selection(s), -3);
}

TEST(OutputProfiles, UnknownFormatOffersNothing) {
    for (int format : {-1, kFormatCount}) {
        const ChoiceList list = GetChoiceList(format, SettingKind::Quality);
        EXPECT_TRUE(list.texts.empty());
        EXPECT_FALSE(list.enabled);
        EXPECT_EQ(BindingField(format, SettingKind::AudioCodec), nullptr);
    }
}

TEST(OutputProfiles, VolumeLabels) {
    const std::pair<int, const char*> cases[] = {
        {0, "-20db"},
        {12, "-8db"},
        {19, "-1db"},
        {20, "+0db"},
        {21, "+1db"},
        {40, "+20db"},
        {-2147483647 - 1, "-2147483668db"},
    };
    for (const auto& [volume, label] : cases)
        EXPECT_EQ(FormatVolumeLabel(volume), label) << volume;
}

} // namespace
