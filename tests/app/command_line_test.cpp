#include "app/command_line.h"

#include <gtest/gtest.h>

#include "settings/output_profiles.h"
#include "settings/settings_location.h"

namespace {

TEST(CommandLine, ParsesOrRefusesEachLine) {
    using M = CommandLine::Mode;
    // The arguments, then the mode and files, or a part of the usage error.
    const std::tuple<std::vector<std::string>, M, std::vector<std::string>, const char*> cases[] = {
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
        {{"--convert", "--format", "mov", "a.avi"}, M::Convert, {}, "unknown format \"mov\""},
        {{"--convert", "--set", "Volume", "a.avi"}, M::Convert, {}, "--set takes KEY=VALUE"},
        {{"--convert", "--set", "Loudness=3", "a.avi"}, M::Convert, {}, "unknown setting \"Loudness\""},
        {{"--convert", "--set", "Volume=loud", "a.avi"}, M::Convert, {}, "whole number, not \"loud\""},
        {{"--convert", "--set", "Temporary folder=/x", "a.avi"}, M::Convert, {}, "--output"},
        {{"--format", "dvd", "a.avi"}, M::Window, {"a.avi"}, "--format works only with --convert"},
        {{"a.avi", "--dry-run"}, M::Window, {"a.avi"}, "--dry-run works only with --convert"},
    };
    for (const auto& [args, mode, files, error] : cases) {
        const CommandLine command = ParseCommandLine(args);
        const std::string line = testing::PrintToString(args);
        EXPECT_NE(command.error.find(error), std::string::npos) << line << " gave: " << command.error;
        EXPECT_TRUE(*error || (command.error.empty() && command.mode == mode && command.files == files)) << line;
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

TEST(SettingsLocation, BesideTheProgramOnlyInAWritableFolderOfTheUsersOwnOutsideTheInstalledLayout) {
    const struct {
        const char* dir;
        bool writable, owned, beside;
    } cases[] = {
        {"/home/dev/qzc/build/bin/", true, true, true},
        {"/home/dev/qzc/build/bin/", false, true, false},
        {"/srv/shared/qzc/", true, false, false},
        {"/usr/lib/quor-zodi-converter/", true, true, false}, // root running the installed program
        {"/home/dev/lib/quor-zodi-converter/build/", true, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepsSettingsBeside(c.dir, c.writable, c.owned), c.beside) << c.dir << c.writable << c.owned;
}

TEST(SettingsLocation, ProgramFolderWhileWritableElseTheUsersConfigFolder) {
    const std::tuple<bool, const char*, const char*> cases[] = {
        {true, "/cfg", "/opt/qzc/"},
        {false, "/cfg", "/cfg/quor-zodi-converter/"},
        {false, "/cfg/", "/cfg/quor-zodi-converter/"},
        {false, "", "/home/u/.config/quor-zodi-converter/"},
        {false, "relative/cfg", "/home/u/.config/quor-zodi-converter/"},
    };
    for (const auto& [writable, xdg, expected] : cases)
        EXPECT_EQ(SettingsFolder("/opt/qzc/", writable, xdg, "/home/u"), expected) << writable << xdg;
}

} // namespace
