#pragma once

#include <string>
#include <utility>
#include <vector>

#include "settings/conversion_settings.h"

// Exit statuses of the program.
inline constexpr int kExitOk = 0;            // every file converted (or nothing to do: --help, --version, a window run)
inline constexpr int kExitSomeFailed = 1;    // one or more files failed or were refused; the others were converted
inline constexpr int kExitUsage = 2;         // the command line was wrong; nothing ran
inline constexpr int kExitInterrupted = 130; // stopped with Ctrl-C: the running file's partial output removed

// What the command line asks for.
struct CommandLine {
    enum class Mode { Window, Convert, Help, Version };
    Mode mode = Mode::Window;
    std::vector<std::string> files;
    int outputFormat = -1;                                     // --format: an OutputFormat value; -1 keeps option.ini's
    std::string outputFolder;                                  // --output: empty keeps option.ini's
    std::vector<std::pair<std::string, std::string>> settings; // --set KEY=VALUE, in order given
    bool dryRun = false;
    std::string error;         // a usage error, for the user; empty when the line is sound
    std::string unknownOption; // the option the error is about, when it is one this program does not know
};

// Reads the arguments after the program name. Every --set is checked against option.ini's keys here, so a
// line that parses can't fail later on a setting.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Whether the arguments ask for no window at all (--convert, --help, --version), so that the program must not
// need a display to start.
bool WantsNoWindow(const std::vector<std::string>& args);

// Applies --format and every --set to a record loaded from option.ini.
void ApplyCommandLine(const CommandLine& command, ConversionSettings& settings);

// The --format names, in OutputFormat order.
const std::vector<std::string>& FormatNames();

// The text of --help.
std::string UsageText(const std::string& programName);
