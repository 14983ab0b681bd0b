#pragma once

#include <string>

// Remembers the program path as the process was started (argv[0]); called once at start-up.
void SetProgramPath(const std::string& argv0);

// The folder of the program file with a trailing '/', or "" when the program path names no folder
// (files beside the program are then looked up in the current folder).
std::string GetProgramDir();
std::string GetProgramDir(const std::string& programPath);

// The program file's name without its extension: the caption of the program's message boxes.
std::string GetApplicationName();
std::string GetApplicationName(const std::string& programPath);
