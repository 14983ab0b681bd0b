#include "settings/settings_location.h"

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/program_dir.h"

namespace fs = std::filesystem;

std::string XdgBaseFolder(const std::string& value, const std::string& home, const char* fallback) {
    // The XDG rule: a relative value is invalid and is ignored.
    std::string folder = !value.empty() && value.front() == '/' ? value : home + fallback;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder + '/';
}

std::string XdgBaseFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    const char* home = std::getenv("HOME");
    return XdgBaseFolder(value ? value : "", home ? home : "", fallback);
}

std::string UserConfigFolder(const std::string& xdgConfigHome, const std::string& home) {
    return XdgBaseFolder(xdgConfigHome, home, "/.config");
}

std::string UserConfigFolder() {
    return XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
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
