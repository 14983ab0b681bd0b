#include "settings/settings_location.h"

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/program_dir.h"

namespace fs = std::filesystem;

std::string UserConfigFolder(const std::string& xdgConfigHome, const std::string& home) {
    // The XDG rule: a relative XDG_CONFIG_HOME is invalid and is ignored.
    std::string config = !xdgConfigHome.empty() && xdgConfigHome.front() == '/' ? xdgConfigHome : home + "/.config";
    while (!config.empty() && config.back() == '/')
        config.pop_back();
    return config + '/';
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    return UserConfigFolder(xdg ? xdg : "", home ? home : "");
}

std::string SettingsFolder(const std::string& programDir, bool keepsSettingsBeside, const std::string& xdgConfigHome,
                           const std::string& home) {
    if (keepsSettingsBeside)
        return programDir;
    return UserConfigFolder(xdgConfigHome, home) + "quor-zodi-converter/";
}

bool FolderIsWritable(const std::string& folder) {
    const std::string path = folder.empty() ? std::string(".") : folder;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::is_directory(status) || (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        return false;
#ifdef _WIN32
    return true;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

bool FolderIsOwnedByUser(const std::string& folder) {
#ifdef _WIN32
    (void)folder;
    return true;
#else
    struct stat status;
    return ::stat(folder.empty() ? "." : folder.c_str(), &status) == 0 && status.st_uid == ::geteuid();
#endif
}

bool KeepsSettingsBeside(const std::string& programDir, bool writable, bool ownedByUser) {
    // The install rules' private folder (packaging/CMakeLists.txt), at the end of the resolved program folder.
    const std::string installed = "/" QZC_PRIVATE_DIR "/";
    const bool installedLayout =
        programDir.size() >= installed.size() &&
        programDir.compare(programDir.size() - installed.size(), installed.size(), installed) == 0;
    return writable && ownedByUser && !installedLayout;
}

std::string SettingsFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string programDir = GetProgramDir();
    const bool beside = KeepsSettingsBeside(programDir, FolderIsWritable(programDir), FolderIsOwnedByUser(programDir));
    return SettingsFolder(programDir, beside, xdg ? xdg : "", home ? home : "");
}
