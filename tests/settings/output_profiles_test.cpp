#include "settings/output_profiles.h"

#include <gtest/gtest.h>

namespace {

using S = ConversionSettings;

// The entry a dialog would show selected, or "" when the stored position lies outside the list.
std::string Shown(int format, SettingKind kind, const ConversionSettings& settings) {
    const ChoiceList list = GetChoiceList(format, kind);
    const std::int32_t pos = list.Selection(settings);
    return pos >= 0 && static_cast<std::size_t>(pos) < list.texts.size() ? list.texts[pos] : "";
}

// Formats that share a list show their own stored pick.
TEST(OutputProfiles, SelectionFollowsTheFormatsOwnField) {
    ConversionSettings s;
    s.aviAudioCodec = s.asfAudioCodec = 1;
    s.zodiAudioCodec = s.wmvAudioCodec = 0;
    s.aviResolution = 14;
    s.mpegResolution = 13;
    EXPECT_EQ(Shown(FORMAT_AVI, SettingKind::AudioCodec, s), "AC3");
    EXPECT_EQ(Shown(FORMAT_ZODI, SettingKind::AudioCodec, s), "MP3");
    EXPECT_EQ(Shown(FORMAT_WMV, SettingKind::AudioCodec, s), "WMAv1");
    EXPECT_EQ(Shown(FORMAT_ASF, SettingKind::AudioCodec, s), "WMAv2");
    // One size at positions that differ between the AVI and the MPEG list.
    EXPECT_EQ(Shown(FORMAT_WMV, SettingKind::Resolution, s), "480 x 480");
    EXPECT_EQ(Shown(FORMAT_MPEG2, SettingKind::Resolution, s), "480 x 480");
}

TEST(OutputProfiles, DiscResolutionAndFrameRateFollowTvMode) {
    struct Case {
        int format;
        int tvMode;
        const char* resolution;
        const char* frameRate;
    };
    // DVD is shown through the settings dialog.
    const Case cases[] = {
        {FORMAT_SVCD, 1, "480 x 576", "25.0 fps"},
        {FORMAT_SVCD, 0, "480 x 480", "29.97 fps"},
        {FORMAT_VCD, 0, "352 x 240", "23.976 fps"},
        {FORMAT_VCD, 1, "352 x 288", "25.0 fps"},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.tvMode = c.tvMode;
        s.aviResolution = s.mpegResolution = s.aviFrameRate = s.mpegFrameRate = 5; // not followed
        EXPECT_EQ(Shown(c.format, SettingKind::Resolution, s), c.resolution) << c.format << "/" << c.tvMode;
        EXPECT_EQ(Shown(c.format, SettingKind::FrameRate, s), c.frameRate) << c.format << "/" << c.tvMode;
    }
}

// Out-of-list positions stay as stored (the dialog shows them unselected); a fixed list always shows its only entry.
TEST(OutputProfiles, StoredPositionsAreShownUnclamped) {
    ConversionSettings s;
    s.tvMode = 4;
    s.aviVideoCodec = -3;
    EXPECT_EQ(GetChoiceList(FORMAT_DVD, SettingKind::Resolution).Selection(s), 4);
    EXPECT_EQ(GetChoiceList(FORMAT_AVI, SettingKind::VideoCodec).Selection(s), -3);
    EXPECT_EQ(GetChoiceList(FORMAT_MPEG1, SettingKind::TvMode).Selection(s), 0);
    EXPECT_EQ(GetChoiceList(FORMAT_XVID, SettingKind::VideoCodec).Selection(s), 0);
}

// The label of any stored volume, even one far outside the slider, without overflowing.
TEST(OutputProfiles, VolumeLabelOfTheSmallestNumber) {
    EXPECT_EQ(FormatVolumeLabel(-2147483647 - 1), "-2147483668db");
}

} // namespace
