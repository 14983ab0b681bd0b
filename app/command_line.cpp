#include "app/command_line.h"

#include <algorithm>
#include <cctype>

#include "settings/output_profiles.h"

namespace {

// A usage error: the parse stops at the first one.
CommandLine Refuse(CommandLine command, std::string why) {
    command.error = std::move(why);
    return command;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string CheckSetting(const std::string& key, const std::string& value) {
    ConversionSettings scratch;
    if (!ApplySetting(scratch, key, "0")) {
        if (Lower(key) == "temporary folder")
            return "the output folder is set with --output, not --set";
        return "unknown setting " + Quoted(key) + " (the keys are option.ini's own, such as \"DVD quality\")";
    }
    if (!ApplySetting(scratch, key, value))
        return "the setting " + Quoted(key) + " takes a whole number, not " + Quoted(value);
    return {};
}

} // namespace

const std::vector<std::string>& FormatNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (int format = 0; format < kFormatCount; ++format)
            all.emplace_back(DescribeFormat(format)->commandName);
        return all;
    }();
    return names;
}

bool WantsNoWindow(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--convert" || arg == "--help" || arg == "-h" || arg == "--version")
            return true;
    }
    return false;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine command;
    bool optionsEnded = false;
    bool convertOnly = false; // an option that only --convert takes was given
    std::string firstConvertOnly;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            command.files.push_back(arg);
            continue;
        }
        // --name=value and --name value alike.
        const auto eq = arg.find('=');
        const std::string name = arg.rfind("--", 0) == 0 && eq != std::string::npos ? arg.substr(0, eq) : arg;
        const bool inlineValue = name.size() != arg.size();
        const auto value = [&](std::string& into) {
            if (inlineValue) {
                into = arg.substr(eq + 1);
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };

        if (name == "--") {
            optionsEnded = true;
        } else if (name == "--help" || name == "-h") {
            command.mode = CommandLine::Mode::Help;
            return command;
        } else if (name == "--version") {
            command.mode = CommandLine::Mode::Version;
            return command;
        } else if (name == "--convert") {
            command.mode = CommandLine::Mode::Convert;
        } else if (name == "--dry-run") {
            command.dryRun = true;
        } else if (name == "--format" || name == "--output" || name == "--set") {
            std::string text;
            if (!value(text) || text.empty())
                return Refuse(command, name + " needs a value");
            if (name == "--format") {
                const auto& names = FormatNames();
                const auto it = std::find(names.begin(), names.end(), Lower(text));
                if (it == names.end())
                    return Refuse(command, "unknown format " + Quoted(text) + " (see --help for the names)");
                command.outputFormat = static_cast<int>(it - names.begin());
            } else if (name == "--output") {
                command.outputFolder = text;
            } else {
                const auto sep = text.find('=');
                if (sep == std::string::npos)
                    return Refuse(command, "--set takes KEY=VALUE, not " + Quoted(text));
                const std::string key = text.substr(0, sep);
                const std::string setting = text.substr(sep + 1);
                if (std::string why = CheckSetting(key, setting); !why.empty())
                    return Refuse(command, why);
                command.settings.emplace_back(key, setting);
            }
        } else {
            command.unknownOption = arg;
            return Refuse(command, "unknown option " + Quoted(arg));
        }
        if (name != "--" && name != "--convert" && !convertOnly) {
            convertOnly = true;
            firstConvertOnly = name;
        }
    }
    if (command.mode == CommandLine::Mode::Window && convertOnly)
        return Refuse(command, firstConvertOnly + " works only with --convert");
    if (command.mode == CommandLine::Mode::Convert && command.files.empty())
        return Refuse(command, "--convert needs at least one file");
    return command;
}

void ApplyCommandLine(const CommandLine& command, ConversionSettings& settings) {
    if (command.outputFormat >= 0)
        settings.outputFormat = command.outputFormat;
    for (const auto& [key, value] : command.settings)
        ApplySetting(settings, key, value);
}

std::string UsageText(const std::string& program) {
    std::string text = "Usage: " + program + " [FILE]...\n" + "       " + program +
                       " --convert [--format NAME] [--output DIR] [--set \"KEY=VALUE\"]... [--dry-run] FILE...\n\n"
                       "Without --convert, opens the window with the list it kept from the last run (in\n"
                       "$XDG_STATE_HOME/quor-zodi-converter/file-list, ~/.local/state when unset) and the files\n"
                       "added after it; removing every row from the list empties the kept list.\n"
                       "With --convert, converts only the files given without a window (the kept list is neither\n"
                       "read nor written), using the settings of option.ini\n"
                       "(which it reads and never writes), changed by the options:\n"
                       "  --format NAME       the output format, one of:\n";
    const auto& names = FormatNames();
    const auto& texts = FormatTexts();
    for (std::size_t i = 0; i < names.size(); ++i)
        text += "                        " + names[i] + std::string(8 - names[i].size(), ' ') + texts[i] + "\n";
    text += "  --output DIR        the folder for the converted files (made when missing)\n"
            "  --set \"KEY=VALUE\"   a setting by its option.ini key, a whole number, e.g. --set \"DVD quality=3\"\n"
            "                      --set \"TV mode=1\" (PAL), --set \"MP4 quality=5\" (0 to 5 for mp4, mkv and webm);\n"
            "                      may be given more than once\n"
            "  --dry-run           probe the files and print each output path and encoder parameter text;\n"
            "                      convert nothing\n"
            "  --help, --version   print this text, or the version, and end\n\n"
            "A FILE may be a folder: it stands for every video file in it and its subfolders, in path order.\n\n"
            "Exit status: 0 every file converted; 1 one or more files failed or were refused (each is named on\n"
            "standard error; a source whose stream can't be copied into the format is refused before it starts);\n"
            "2 a usage error, nothing run; 130 stopped with Ctrl-C, 129 when the terminal closes, 143 on SIGTERM\n"
            "(nothing of the file being converted is kept, finished ones are, and the files not reached are named).\n";
    return text;
}
