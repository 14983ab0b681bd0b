#pragma once

#include <filesystem>
#include <string>

#include "settings/ini_file.h"

// The tip of the day's `key` in the application profile at `path`, or "<none>".
inline std::string TipProfile(const std::string& path, const char* key) {
    return IniFile::Load(path).Get("Tip", key, "<none>");
}

inline bool SetTipProfile(const std::string& path, const char* key, const std::string& value) {
    IniFile ini = IniFile::Load(path);
    ini.Set("Tip", key, value);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return ini.Save(path, nullptr);
}
