#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every choice that shapes a conversion: each field is a position in one of the output profile lists
// (or the letter-box flag, or the volume slider position). Positions are kept as read, never clamped.
struct ConversionSettings {
    std::int32_t letterbox = 0;
    std::int32_t outputFormat = 0;
    std::int32_t tvMode = 0;
    std::int32_t mpegAspectRatio = 0;
    std::int32_t dvdAspectRatio = 0;
    std::int32_t aviQuality = 0;
    std::int32_t mpeg1Quality = 0;
    std::int32_t mpeg2Quality = 0;
    std::int32_t svcdQuality = 0;
    std::int32_t dvdQuality = 0;
    std::int32_t wmvQuality = 0;
    std::int32_t aviVideoCodec = 0;
    std::int32_t asfVideoCodec = 0;
    std::int32_t aviAudioCodec = 0;
    std::int32_t zodiAudioCodec = 0;
    std::int32_t xvidAudioCodec = 0;
    std::int32_t dvdAudioCodec = 0;
    std::int32_t wmvAudioCodec = 0;
    std::int32_t asfAudioCodec = 0;
    std::int32_t aviResolution = 0;
    std::int32_t mpegResolution = 0;
    std::int32_t aviFrameRate = 0;
    std::int32_t mpegFrameRate = 0;
    std::int32_t volume = 0;
    // The constant-quality formats (MP4, MKV, WebM).
    std::int32_t mp4Quality = 0;
    std::int32_t mp4VideoCodec = 0;
    std::int32_t mp4AudioCodec = 0;
    std::int32_t mkvQuality = 0;
    std::int32_t mkvVideoCodec = 0;
    std::int32_t mkvAudioCodec = 0;
    std::int32_t webmQuality = 0;
    std::int32_t webmVideoCodec = 0;
    std::int32_t hdResolution = 0;
    std::int32_t hdFrameRate = 0;

    bool operator==(const ConversionSettings&) const = default;
};

// Everything the settings files hold, as loaded at start and saved at the end of a run.
struct StoredSettings {
    ConversionSettings settings;
    std::string outputFolder;   // at most 255 characters
    std::string programVersion; // from version.ini, "1.00" when missing
};

// The section of option.ini that holds the settings.
inline constexpr const char* kSettingsSection = "Destinate";

// "<home>/output video/": the output folder when option.ini names none.
std::string DefaultOutputFolder();

// Reads version.ini and option.ini in `programDir` (which ends in '/' or is empty for the current folder).
// Missing files, sections or keys give the defaults; numbers are read the way atoi reads them.
StoredSettings LoadSettings(const std::string& programDir);
// The same with option.ini read from `settingsFolder` (see SettingsFolder) and version.ini from `programDir`.
StoredSettings LoadSettings(const std::string& programDir, const std::string& settingsFolder);

// The record an option.ini of the given text holds (missing keys give the first-run defaults).
ConversionSettings SettingsFromText(std::string_view optionIniText);

// Sets the field that option.ini stores under `key` (matched without regard to case) to `value`, a whole number
// written as option.ini writes it. False, with the record unchanged, for a key that names no field (the output
// folder is no field) or a value that is not a whole number that fits.
bool ApplySetting(ConversionSettings& settings, std::string_view key, std::string_view value);

// Writes all 35 keys into option.ini in `programDir` in one go, keeping every other line of the file.
// On failure returns false and says why in `error`; the file is then left as it was.
bool SaveSettings(const std::string& programDir, const ConversionSettings& settings, const std::string& outputFolder,
                  std::string* error);

// The path of option.ini in `programDir`.
std::string OptionFilePath(const std::string& programDir);
