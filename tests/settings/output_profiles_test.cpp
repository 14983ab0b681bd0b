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

// A list by its length and one telling entry; the full ladder texts are checked against the encoder's rates
// where the parameter text is built.
struct ListCase {
    SettingKind kind;
    int format;
    std::size_t count;
    std::size_t at;
    const char* text;
    Binding binding;
    SettingsField field;
};

TEST(OutputProfiles, ListsAndTheFieldsTheyWrite) {
    using K = SettingKind;
    const ListCase cases[] = {
        {K::Quality, FORMAT_XVID, 9, 4, "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)", Binding::Field,
         &S::aviQuality},
        {K::Quality, FORMAT_VCD, 5, 0, "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)", Binding::Field,
         &S::mpeg1Quality},
        {K::Quality, FORMAT_MPEG2, 6, 1, "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)", Binding::Field,
         &S::mpeg2Quality},
        {K::Quality, FORMAT_SVCD, 5, 4, "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)", Binding::Field,
         &S::svcdQuality},
        {K::Quality, FORMAT_DVD, 6, 0, "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)", Binding::Field,
         &S::dvdQuality},
        {K::Quality, FORMAT_ASF, 9, 8, "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)", Binding::Field,
         &S::wmvQuality},
        {K::VideoCodec, FORMAT_AVI, 2, 1, "Xvid", Binding::Field, &S::aviVideoCodec},
        {K::VideoCodec, FORMAT_ZODI, 1, 0, "Zodi", Binding::Fixed, nullptr},
        {K::VideoCodec, FORMAT_SVCD, 1, 0, "MPEG2", Binding::Fixed, nullptr},
        {K::VideoCodec, FORMAT_WMV, 1, 0, "WMV8", Binding::Fixed, nullptr},
        {K::VideoCodec, FORMAT_ASF, 3, 1, "msmpeg4v2", Binding::Field, &S::asfVideoCodec},
        {K::AudioCodec, FORMAT_XVID, 2, 1, "AC3", Binding::Field, &S::xvidAudioCodec},
        {K::AudioCodec, FORMAT_ZODI, 2, 0, "MP3", Binding::Field, &S::zodiAudioCodec},
        {K::AudioCodec, FORMAT_VCD, 1, 0, "MP2", Binding::Fixed, nullptr},
        {K::AudioCodec, FORMAT_DVD, 2, 0, "AC3", Binding::Field, &S::dvdAudioCodec},
        {K::AudioCodec, FORMAT_ASF, 2, 1, "WMAv2", Binding::Field, &S::asfAudioCodec},
        {K::TvMode, FORMAT_MPEG2, 1, 0, "None", Binding::Fixed, nullptr},
        {K::TvMode, FORMAT_DVD, 2, 1, "PAL", Binding::Field, &S::tvMode},
        {K::Resolution, FORMAT_WMV, 20, 13, "480 x 272", Binding::Field, &S::aviResolution},
        {K::Resolution, FORMAT_MPEG1, 18, 13, "480 x 480", Binding::Field, &S::mpegResolution},
        {K::Resolution, FORMAT_SVCD, 2, 1, "480 x 576", Binding::TvMode, nullptr},
        {K::FrameRate, FORMAT_ZODI, 8, 1, "14.985 fps", Binding::Field, &S::aviFrameRate},
        {K::FrameRate, FORMAT_MPEG2, 6, 4, "29.97 fps", Binding::Field, &S::mpegFrameRate},
        {K::FrameRate, FORMAT_VCD, 2, 0, "23.976 fps", Binding::TvMode, nullptr},
        {K::FrameRate, FORMAT_ASF, 1, 0, "Auto", Binding::Fixed, nullptr},
        {K::Aspect, FORMAT_MPEG1, 4, 3, "2.21:1 (CinemaScope movie)", Binding::Field, &S::mpegAspectRatio},
        {K::Aspect, FORMAT_SVCD, 2, 1, "16:9   (Wide screen TV)", Binding::Field, &S::dvdAspectRatio},
        {K::Aspect, FORMAT_AVI, 1, 0, "None", Binding::Fixed, nullptr},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE("format " + std::to_string(c.format) + ", kind " + std::to_string(static_cast<int>(c.kind)));
        const ChoiceList list = GetChoiceList(c.format, c.kind);
        ASSERT_EQ(list.texts.size(), c.count);
        EXPECT_EQ(list.texts[c.at], c.text);
        EXPECT_EQ(list.binding, c.binding);
        EXPECT_EQ(list.field, c.field);
        // Only a list whose pick lands in a field may be changed; tvMode-bound lists follow the TV mode.
        EXPECT_EQ(list.enabled, c.binding == Binding::Field);
        EXPECT_EQ(BindingField(c.format, c.kind), c.binding == Binding::Field ? c.field : nullptr);
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
        {0, "-20db"}, {19, "-1db"}, {20, "+0db"}, {40, "+20db"}, {-2147483647 - 1, "-2147483668db"},
    };
    for (const auto& [volume, label] : cases)
        EXPECT_EQ(FormatVolumeLabel(volume), label) << volume;
}

} // namespace
