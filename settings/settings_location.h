#pragma once

#include <string>

// A folder by the XDG base-directory rule, ending in '/': `value` (an XDG_*_HOME variable's) when it is an absolute
// path, else `home` + `fallback` (such as "/.config").
std::string XdgBaseFolder(const std::string& value, const std::string& home, const char* fallback);
// The same for this process: `variable` and HOME from the environment.
std::string XdgBaseFolder(const char* variable, const char* fallback);

// The user's configuration folder, ending in '/': `xdgConfigHome` when it is an absolute path, else
// `home` + "/.config".
std::string UserConfigFolder(const std::string& xdgConfigHome, const std::string& home);
// The same for this process: XDG_CONFIG_HOME and HOME from the environment.
std::string UserConfigFolder();

// The folder that holds option.ini, ending in '/'. The program's own folder when it keeps its settings there
// (KeepsSettingsBeside); otherwise, as for an installed program, "quor-zodi-converter/" in the user's
// configuration folder. The folder is only named here, not made.
std::string SettingsFolder(const std::string& programDir, bool keepsSettingsBeside, const std::string& xdgConfigHome,
                           const std::string& home);

// Whether the program keeps option.ini in its own folder `programDir`: only in a folder of the user's own (a build
// folder, a program unpacked into the user's home) that the user may write, and never where the install rules put
// the program (…/lib/quor-zodi-converter/), which belongs to the package even when root, who may write anywhere,
// runs it.
bool KeepsSettingsBeside(const std::string& programDir, bool writable, bool ownedByUser);

// The same for this process: the program folder (GetProgramDir) and the environment.
std::string SettingsFolder();

// Whether the program may keep files in `folder`: the user can write there and it is not marked read-only
// (write permission of its owner), which a privileged user would otherwise pass over.
bool FolderIsWritable(const std::string& folder);

// Whether `folder` belongs to the user this process runs as.
bool FolderIsOwnedByUser(const std::string& folder);
