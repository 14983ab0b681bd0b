#include "settings/output_profiles.h"

#include <gtest/gtest.h>

namespace {

// The entry a dialog would show selected, or "" when the stored position lies outside the list.
std::string Shown(int format, SettingKind kind, const ConversionSettings& settings) {
    const ChoiceList list = GetChoiceList(format, kind);
    const std::int32_t pos = list.Selection(settings);
    return pos >= 0 && static_cast<std::size_t>(pos) < list.texts.size() ? list.texts[pos] : "";
}

// Each format shows its own stored pick, also where formats share a list (one size stands at different positions
// in the AVI and the MPEG list); disc resolution and frame rate follow the TV mode, not the stored picks.
TEST(OutputProfiles, EachFormatShowsItsOwnPick) {
    ConversionSettings s;
    s.aviAudioCodec = s.asfAudioCodec = 1;
    s.zodiAudioCodec = s.wmvAudioCodec = 0;
    s.aviResolution = 14;
    s.mpegResolution = 13;
    s.aviFrameRate = s.mpegFrameRate = 5;
    const std::tuple<int, int, SettingKind, const char*> cases[] = {
        {FORMAT_AVI, 0, SettingKind::AudioCodec, "AC3"},        {FORMAT_ZODI, 0, SettingKind::AudioCodec, "MP3"},
        {FORMAT_WMV, 0, SettingKind::AudioCodec, "WMAv1"},      {FORMAT_ASF, 0, SettingKind::AudioCodec, "WMAv2"},
        {FORMAT_WMV, 0, SettingKind::Resolution, "480 x 480"},  {FORMAT_MPEG2, 0, SettingKind::Resolution, "480 x 480"},
        {FORMAT_SVCD, 1, SettingKind::Resolution, "480 x 576"}, {FORMAT_SVCD, 1, SettingKind::FrameRate, "25.0 fps"},
        {FORMAT_SVCD, 0, SettingKind::Resolution, "480 x 480"}, {FORMAT_SVCD, 0, SettingKind::FrameRate, "29.97 fps"},
        {FORMAT_VCD, 0, SettingKind::Resolution, "352 x 240"},  {FORMAT_VCD, 0, SettingKind::FrameRate, "23.976 fps"},
        {FORMAT_VCD, 1, SettingKind::Resolution, "352 x 288"},  {FORMAT_VCD, 1, SettingKind::FrameRate, "25.0 fps"},
    };
    for (const auto& [format, tvMode, kind, expected] : cases) {
        s.tvMode = tvMode;
        EXPECT_EQ(Shown(format, kind, s), expected) << format << "/" << tvMode << "/" << int(kind);
    }
}

// The label of any stored volume, even one far outside the slider, without overflowing.
TEST(OutputProfiles, VolumeLabel) {
    EXPECT_EQ(FormatVolumeLabel(19), "-1db");
    EXPECT_EQ(FormatVolumeLabel(20), "+0db");
    EXPECT_EQ(FormatVolumeLabel(-2147483647 - 1), "-2147483668db");
}

} // namespace
