#include "settings/conversion_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "settings/ini_file.h"

namespace {

struct SettingsKey {
    const char* key;
    const char* defaultText;
    std::int32_t ConversionSettings::*field; // null for the output folder, which is text
};

// Load and save order. The output folder is the one key that is not part of the record.
constexpr std::array<SettingsKey, 35> kKeys{{
    {"Letterbox", "1", &ConversionSettings::letterbox},
    {"Temporary folder", nullptr, nullptr},
    {"Output format", "0", &ConversionSettings::outputFormat},
    {"TV mode", "0", &ConversionSettings::tvMode},
    {"MPEG aspect ratio", "2", &ConversionSettings::mpegAspectRatio},
    {"DVD aspect ratio", "1", &ConversionSettings::dvdAspectRatio},
    {"AVI quality", "4", &ConversionSettings::aviQuality},
    {"MPEG1 quality", "3", &ConversionSettings::mpeg1Quality},
    {"MPEG2 quality", "3", &ConversionSettings::mpeg2Quality},
    {"SVCD quality", "4", &ConversionSettings::svcdQuality},
    {"DVD quality", "5", &ConversionSettings::dvdQuality},
    {"WMV quality", "5", &ConversionSettings::wmvQuality},
    {"AVI video codec", "0", &ConversionSettings::aviVideoCodec},
    {"ASF video codec", "2", &ConversionSettings::asfVideoCodec},
    {"AVI audio codec", "0", &ConversionSettings::aviAudioCodec},
    {"Zodi audio codec", "0", &ConversionSettings::zodiAudioCodec},
    {"Xvid audio codec", "0", &ConversionSettings::xvidAudioCodec},
    {"DVD audio codec", "0", &ConversionSettings::dvdAudioCodec},
    {"WMV audio codec", "1", &ConversionSettings::wmvAudioCodec},
    {"ASF audio codec", "1", &ConversionSettings::asfAudioCodec},
    {"AVI resolution", "0", &ConversionSettings::aviResolution},
    {"MPEG resolution", "0", &ConversionSettings::mpegResolution},
    {"AVI frame rate", "0", &ConversionSettings::aviFrameRate},
    {"MPEG frame rate", "0", &ConversionSettings::mpegFrameRate},
    {"Volume", "20", &ConversionSettings::volume},
    {"MP4 quality", "3", &ConversionSettings::mp4Quality},
    {"MP4 video codec", "0", &ConversionSettings::mp4VideoCodec},
    {"MP4 audio codec", "0", &ConversionSettings::mp4AudioCodec},
    {"MKV quality", "3", &ConversionSettings::mkvQuality},
    {"MKV video codec", "0", &ConversionSettings::mkvVideoCodec},
    {"MKV audio codec", "0", &ConversionSettings::mkvAudioCodec},
    {"WebM quality", "3", &ConversionSettings::webmQuality},
    {"WebM video codec", "0", &ConversionSettings::webmVideoCodec},
    {"HD resolution", "0", &ConversionSettings::hdResolution},
    {"HD frame rate", "0", &ConversionSettings::hdFrameRate},
}};

} // namespace

std::string DefaultOutputFolder() {
    const char* home = std::getenv("HOME");
#ifdef _WIN32
    if (!home)
        home = std::getenv("USERPROFILE");
#endif
    std::string folder = home ? home : "";
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return (folder + "output video/").substr(0, IniFile::kMaxValueLength);
}

std::string OptionFilePath(const std::string& programDir) {
    return programDir + "option.ini";
}

namespace {

StoredSettings FromIni(const IniFile& ini) {
    StoredSettings stored;
    for (const auto& k : kKeys) {
        if (!k.field) {
            stored.outputFolder = ini.Get(kSettingsSection, k.key, DefaultOutputFolder());
            continue;
        }
        // atoi: blanks skipped, an optional sign, digits up to the first other character, 0 without digits.
        stored.settings.*k.field = std::atoi(ini.Get(kSettingsSection, k.key, k.defaultText).c_str());
    }
    return stored;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

StoredSettings LoadSettings(const std::string& programDir) {
    return LoadSettings(programDir, programDir);
}

StoredSettings LoadSettings(const std::string& programDir, const std::string& settingsFolder) {
    StoredSettings stored = FromIni(IniFile::Load(OptionFilePath(settingsFolder)));
    stored.programVersion = IniFile::Load(programDir + "version.ini").Get("General", "Version", "1.00");
    return stored;
}

ConversionSettings SettingsFromText(std::string_view optionIniText) {
    return FromIni(IniFile::FromText(optionIniText)).settings;
}

bool ApplySetting(ConversionSettings& settings, std::string_view key, std::string_view value) {
    for (const auto& k : kKeys) {
        if (!k.field || !SameKey(k.key, key))
            continue;
        std::int32_t number = 0;
        const char* end = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(value.data(), end, number);
        if (value.empty() || ec != std::errc() || ptr != end)
            return false;
        settings.*k.field = number;
        return true;
    }
    return false;
}

bool SaveSettings(const std::string& programDir, const ConversionSettings& settings, const std::string& outputFolder,
                  std::string* error) {
    const std::string path = OptionFilePath(programDir);
    IniFile ini = IniFile::Load(path);
    for (const auto& k : kKeys)
        ini.Set(kSettingsSection, k.key, k.field ? std::to_string(settings.*k.field) : outputFolder);
    return ini.Save(path, error);
}
