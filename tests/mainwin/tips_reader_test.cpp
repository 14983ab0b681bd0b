#include "mainwin/tips_reader.h"

#include <filesystem>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/tip_profile.h"

namespace fs = std::filesystem;

namespace {

using Tips = std::vector<std::string>;

class TipsReaderTest : public ::testing::Test {
protected:
    std::string Profile(const char* key) const { return TipProfile(profilePath, key); }

    TempDir dir;
    std::string tipsPath = dir.file("tips.txt");
    std::string profilePath = dir.file("config/quor-zodi-converter.ini");
};

TEST_F(TipsReaderTest, OnlyTipLinesAreShownAndTheLastWrapsToTheFirst) {
    const std::string longLine(1200, 'x');
    const std::string longWithBlank = std::string(999, 'y') + " rest";
    const struct {
        const char* name;
        std::string file;
        Tips shown; // the first tip, then the ones "Next Tip" brings
    } cases[] = {
        {"skipped lines",
         "; note\n indented\n\ttabbed\n\nOne & two\n;c\nSecond\n",
         {"One & two\n", "Second\n", "One & two\n", "Second\n"}},
        {"no line end at the end", "A\nB", {"A\n", "B", "A\n"}},
        {"CR LF line ends", "A\r\n\r\n;c\r\nB\r\n", {"A\n", "B\n", "A\n"}},
        {"1200 characters give two tips",
         longLine + "\nB\n",
         {std::string(999, 'x'), std::string(201, 'x') + "\n", "B\n", std::string(999, 'x')}},
        {"a remainder starting with a blank is skipped",
         longWithBlank + "\nB\n",
         {std::string(999, 'y'), "B\n", std::string(999, 'y')}},
        {"no tip at all: one pass, then no more", "; only\n;comments\n\n \n\t\n", {kTipsTrouble, kTipsTrouble}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(tipsPath, c.file);
        fs::remove(profilePath);
        TipsReader reader(tipsPath, profilePath);
        Tips seen{reader.TipText()};
        while (seen.size() < c.shown.size()) {
            reader.NextTip();
            seen.push_back(reader.TipText());
        }
        EXPECT_EQ(seen, c.shown);
        EXPECT_EQ(reader.CanAdvance(), c.shown[0] != kTipsTrouble);
        EXPECT_FALSE(reader.TakeTrouble());
    }
}

TEST_F(TipsReaderTest, StoredPositionIsUsedOnlyWhileTheFileIsTheSame) {
    WriteFile(tipsPath, "Old one\nOld two\nOld three\n");
    {
        TipsReader reader(tipsPath, profilePath); // the first run
        EXPECT_TRUE(reader.ShowAtStartup());
        EXPECT_EQ(reader.TipText(), "Old one\n");
    }
    const std::string oldStamp = Profile("TimeStamp");
    ASSERT_EQ(oldStamp.size(), 24u) << oldStamp; // ctime's fixed form, without its line end
    EXPECT_EQ(Profile("StartUp"), "<none>");
    // The stored place is used in the same file (also one beyond or at its end), not in another file.
    const std::tuple<std::string, std::string, std::string> cases[] = {{"8", oldStamp, "Old two\n"},
                                                                       {"100000", oldStamp, "Old one\n"},
                                                                       {"26", oldStamp, "Old one\n"},
                                                                       {"8", "Thu Jan  1 00:00:00 1970", "Old one\n"}};
    for (const auto& [filePos, stamp, tip] : cases) {
        ASSERT_TRUE(SetTipProfile(profilePath, "FilePos", filePos) && SetTipProfile(profilePath, "TimeStamp", stamp));
        TipsReader reader(tipsPath, profilePath);
        EXPECT_EQ(reader.TipText(), tip) << filePos << " in " << stamp;
        EXPECT_FALSE(reader.TakeTrouble());
        EXPECT_EQ(Profile("TimeStamp"), oldStamp);
    }
}

// Anything but a regular file is taken for a missing one: a pipe or a device would hold the start-up for ever.
TEST_F(TipsReaderTest, OnlyARegularFileIsRead) {
    const struct {
        const char* name;
        int (*make)(const char* path);
    } cases[] = {
        {"a FIFO", [](const char* path) { return mkfifo(path, 0600); }},
        {"a link to /dev/zero", [](const char* path) { return symlink("/dev/zero", path); }},
    };
    ASSERT_TRUE(SetTipProfile(profilePath, "FilePos", "4"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(tipsPath);
        ASSERT_EQ(c.make(tipsPath.c_str()), 0);
        {
            TipsReader reader(tipsPath, profilePath);
            EXPECT_EQ(reader.TipText(), kTipsFileMissing);
            EXPECT_FALSE(reader.CanAdvance());
        }
        EXPECT_EQ(Profile("FilePos"), "4");
    }
}

} // namespace
