#include "mainwin/kept_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The files with every fact to the last bit.
std::string Describe(const std::vector<VideoFileEntry>& files) {
    std::string text;
    char facts[128];
    for (const VideoFileEntry& f : files) {
        std::snprintf(facts, sizeof facts, "] %.17g %dx%d %.17g\n", f.duration, f.sourceWidth, f.sourceHeight,
                      f.sourceFrameRate);
        text += "[" + f.path + facts;
    }
    return text;
}

// Every list comes back exactly, whatever bytes its names hold, from a folder the save had to make.
TEST(KeptListTest, ListsComeBackWithEveryFactAndName) {
    const struct {
        const char* name;
        std::vector<VideoFileEntry> files;
    } cases[] = {
        {"no file", {}},
        {"facts to the last bit, in order",
         {{"/v/a.avi", 3725.9, 1920, 1080, 30000.0 / 1001}, {"/v/a.avi", 0.1, -1, 0, 0}, {"/b", 1e9, 7, 9, 1e-7}}},
        {"line breaks, %, tab, DEL and blanks in a name", {{"/v/ two\nlines%41\r\t\x7f end .avi", 1, 2, 3, 4}}},
        {"a name that is not UTF-8", {{"/v/caf\xe9\xff.avi", 5, 6, 7, 8}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.file("state/quor-zodi-converter/file-list");
        std::string error;
        ASSERT_TRUE(SaveKeptList(file, c.files, &error)) << error;
        EXPECT_EQ(fs::status(fs::path(file).parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
        const std::string text = ReadFile(file);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.files.size() + 2) << text;
        EXPECT_EQ(Describe(LoadKeptList(file)), Describe(c.files));
    }
}

// A file that is not a whole list of this version gives no file at all, and is kept aside rather than replaced.
TEST(KeptListTest, AnythingButAWholeListIsIgnoredWhole) {
    const std::string whole = KeptListText({{"/v/a.avi", 1.5, 320, 240, 25}, {"/v/b\n.avi", 2, 640, 480, 30}});
    std::vector<std::pair<std::string, std::string>> cases = {
        {"garbage", "\x7f"
                    "ELF\x02\x01\x01\0\0\0 not a list at all"},
        {"a newer version", "quor-zodi-converter list 2\n1 2 3 4 /v/a.avi\nend\n"},
        {"a word for a number", "quor-zodi-converter list 1\n1 2 x 4 /v/a.avi\nend\n"},
        {"a number with a tail", "quor-zodi-converter list 1\n1 2 3x 4 /v/a.avi\nend\n"},
        {"a broken escape", "quor-zodi-converter list 1\n1 2 3 4 /v/a%4\nend\n"},
        {"no name", "quor-zodi-converter list 1\n1 2 3 4 \nend\n"},
        {"a negative playing time", "quor-zodi-converter list 1\n-1 2 3 4 /v/a.avi\nend\n"},
        {"lines after the end", whole + "1 2 3 4 /v/c.avi\n"},
    };
    for (std::size_t cut = 0; cut < whole.size(); ++cut) // cut short anywhere, as by a power cut
        cases.push_back({"cut after " + std::to_string(cut) + " bytes", whole.substr(0, cut)});
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string file = dir.file("file-list");
        WriteFile(file, text);
        EXPECT_EQ(Describe(LoadKeptList(file)), "");
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(ReadFile(file + ".unreadable"), text);
    }
    EXPECT_EQ(Describe(*ParseKeptList(whole)), "[/v/a.avi] 1.5 320x240 25\n[/v/b\n.avi] 2 640x480 30\n");
}

TEST(KeptListTest, TheListIsKeptInTheUsersStateFolder) {
    const struct {
        const char* xdgStateHome;
        const char* file;
    } cases[] = {
        {"/xdg/state", "/xdg/state/quor-zodi-converter/file-list"},
        {"/xdg/state//", "/xdg/state/quor-zodi-converter/file-list"},
        {"", "/home/u/.local/state/quor-zodi-converter/file-list"},
        {"relative/state", "/home/u/.local/state/quor-zodi-converter/file-list"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeptListFile(c.xdgStateHome, "/home/u"), c.file) << "XDG_STATE_HOME=" << c.xdgStateHome;
}

} // namespace
