#include "app/command_line.h"

#include <gtest/gtest.h>

#include "settings/output_profiles.h"
#include "settings/settings_location.h"

namespace {

struct ParseCase {
    std::vector<std::string> args;
    CommandLine::Mode mode;
    std::vector<std::string> files;
    const char* error; // a part of the usage error; "" for none
};

TEST(CommandLine, ParsesOrRefusesEachLine) {
    using M = CommandLine::Mode;
    const ParseCase cases[] = {
        {{}, M::Window, {}, ""},
        {{"a.avi", "b.avi"}, M::Window, {"a.avi", "b.avi"}, ""},
        {{"--convert", "a.avi", "--format", "dvd", "b.avi"}, M::Convert, {"a.avi", "b.avi"}, ""},
        {{"--convert", "--", "-odd.avi", "--help"}, M::Convert, {"-odd.avi", "--help"}, ""},
        {{"--convert", "-", "x"}, M::Convert, {"-", "x"}, ""},
        {{"--convert", "a.avi", "--help"}, M::Help, {"a.avi"}, ""},
        {{"-h"}, M::Help, {}, ""},
        {{"--version", "--bogus"}, M::Version, {}, ""},
        {{"--convert"}, M::Convert, {}, "needs at least one file"},
        {{"--convert", "--bogus", "a.avi"}, M::Convert, {}, "unknown option \"--bogus\""},
        {{"--convert", "a.avi", "--format"}, M::Convert, {"a.avi"}, "--format needs a value"},
        {{"--convert", "--format", "mkv", "a.avi"}, M::Convert, {}, "unknown format \"mkv\""},
        {{"--convert", "--set", "Volume", "a.avi"}, M::Convert, {}, "--set takes KEY=VALUE"},
        {{"--convert", "--set", "Loudness=3", "a.avi"}, M::Convert, {}, "unknown setting \"Loudness\""},
        {{"--convert", "--set", "Volume=loud", "a.avi"}, M::Convert, {}, "whole number, not \"loud\""},
        {{"--convert", "--set", "Temporary folder=/x", "a.avi"}, M::Convert, {}, "--output"},
        {{"--format", "dvd", "a.avi"}, M::Window, {"a.avi"}, "--format works only with --convert"},
        {{"a.avi", "--dry-run"}, M::Window, {"a.avi"}, "--dry-run works only with --convert"},
    };
    for (const ParseCase& c : cases) {
        const CommandLine command = ParseCommandLine(c.args);
        const std::string line = testing::PrintToString(c.args);
        if (*c.error) {
            EXPECT_NE(command.error.find(c.error), std::string::npos) << line << " gave: " << command.error;
            continue;
        }
        EXPECT_EQ(command.error, "") << line;
        EXPECT_EQ(command.mode, c.mode) << line;
        EXPECT_EQ(command.files, c.files) << line;
    }
}

TEST(CommandLine, FormatAndSettingsReachTheRecordInOrder) {
    ASSERT_EQ(FormatNames().size(), static_cast<std::size_t>(kFormatCount));
    const CommandLine command =
        ParseCommandLine({"--convert", "--format=DVD", "--set", "dvd QUALITY=3", "--set=TV mode=1", "--set",
                          "TV mode=0", "--output", "out dir", "--dry-run", "a.avi"});
    ASSERT_EQ(command.error, "");
    EXPECT_EQ(command.outputFolder, "out dir");
    EXPECT_TRUE(command.dryRun);

    ConversionSettings settings = SettingsFromText("");
    ApplyCommandLine(command, settings);
    EXPECT_EQ(settings.outputFormat, FORMAT_DVD);
    EXPECT_EQ(settings.dvdQuality, 3);
    EXPECT_EQ(settings.tvMode, 0); // the last one given wins
}

TEST(CommandLine, OnlyConvertHelpAndVersionDoWithoutAWindow) {
    EXPECT_TRUE(WantsNoWindow({"a.avi", "--convert"}));
    EXPECT_TRUE(WantsNoWindow({"--version"}));
    EXPECT_FALSE(WantsNoWindow({"a.avi"}));
    EXPECT_FALSE(WantsNoWindow({"--", "--convert"})); // a file of that name
}

TEST(SettingsLocation, ProgramFolderWhileWritableElseTheUsersConfigFolder) {
    struct Case {
        bool writable;
        const char* xdg;
        const char* expected;
    } cases[] = {
        {true, "/cfg", "/opt/qzc/"},
        {false, "/cfg", "/cfg/quor-zodi-converter/"},
        {false, "/cfg/", "/cfg/quor-zodi-converter/"},
        {false, "", "/home/u/.config/quor-zodi-converter/"},
        {false, "relative/cfg", "/home/u/.config/quor-zodi-converter/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingsFolder("/opt/qzc/", c.writable, c.xdg, "/home/u"), c.expected) << c.writable << c.xdg;
}

} // namespace
