#pragma once

#include <string>

// The user's configuration folder, ending in '/': `xdgConfigHome` when it is an absolute path, else
// `home` + "/.config".
std::string UserConfigFolder(const std::string& xdgConfigHome, const std::string& home);
// The same for this process: XDG_CONFIG_HOME and HOME from the environment.
std::string UserConfigFolder();

// The folder that holds option.ini, ending in '/'. The program's own folder while it is writable (a build
// folder, a program unpacked into the user's own folder); otherwise, as for an installed program,
// "quor-zodi-converter/" in the user's configuration folder. The folder is only named here, not made.
std::string SettingsFolder(const std::string& programDir, bool programDirWritable, const std::string& xdgConfigHome,
                           const std::string& home);

// The same for this process: the program folder (GetProgramDir) and the environment.
std::string SettingsFolder();

// Whether the program may keep files in `folder`: the user can write there and it is not marked read-only
// (write permission of its owner), which a privileged user would otherwise pass over.
bool FolderIsWritable(const std::string& folder);
