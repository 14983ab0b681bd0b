#include "mainwin/tips_reader.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "settings/ini_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Tips = std::vector<std::string>;

class TipsReaderTest : public ::testing::Test {
protected:
    std::string Profile(const char* key) const { return IniFile::Load(profilePath).Get("Tip", key, "<none>"); }
    void SetProfile(const char* key, const std::string& value) {
        IniFile ini = IniFile::Load(profilePath);
        ini.Set("Tip", key, value);
        fs::create_directories(fs::path(profilePath).parent_path());
        ASSERT_TRUE(ini.Save(profilePath, nullptr));
    }
    // The tip a freshly made reader shows, then the ones "Next Tip" brings, `count` in all.
    Tips ShowAndPressNext(int count) {
        TipsReader reader(tipsPath, profilePath);
        Tips seen{reader.TipText()};
        while (static_cast<int>(seen.size()) < count) {
            reader.NextTip();
            seen.push_back(reader.TipText());
        }
        return seen;
    }

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
        Tips shown;
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(tipsPath, c.file);
        fs::remove(profilePath);
        EXPECT_EQ(ShowAndPressNext(static_cast<int>(c.shown.size())), c.shown);
    }
}

TEST_F(TipsReaderTest, EveryNewReaderContinuesOneTipFurther) {
    WriteFile(tipsPath, ";head\nFirst\nSecond\n\nThird\n");
    const struct {
        std::string tip;
        std::string storedPosition;
    } runs[] = {{"First\n", "12"}, {"Second\n", "19"}, {"Third\n", "26"}, {"First\n", "12"}};
    for (const auto& run : runs) {
        {
            TipsReader reader(tipsPath, profilePath);
            EXPECT_EQ(reader.TipText(), run.tip);
        }
        EXPECT_EQ(Profile("FilePos"), run.storedPosition);
    }
}

TEST_F(TipsReaderTest, StoredPositionIsUsedOnlyWhileTheFileIsTheSame) {
    WriteFile(tipsPath, "Old one\nOld two\nOld three\n");
    {
        TipsReader reader(tipsPath, profilePath); // the first run
        EXPECT_TRUE(reader.ShowAtStartup());
        EXPECT_EQ(reader.TipText(), "Old one\n");
        EXPECT_TRUE(reader.CanAdvance());
    }
    const std::string oldStamp = Profile("TimeStamp");
    ASSERT_EQ(oldStamp.size(), 24u) << oldStamp; // ctime's fixed form, without its line end
    EXPECT_EQ(Profile("StartUp"), "<none>");

    const struct {
        const char* name;
        std::string filePos;
        std::string tip;
    } cases[] = {
        {"same file", "8", "Old two\n"},
        {"position beyond the end", "100000", "Old one\n"},
        {"position at the end", "26", "Old one\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetProfile("FilePos", c.filePos);
        TipsReader reader(tipsPath, profilePath);
        EXPECT_EQ(reader.TipText(), c.tip);
        EXPECT_FALSE(reader.TakeTrouble());
    }

    // Replaced: a new file under the same name, whose change time is a later second than the old one's.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string newStamp = oldStamp;
    while (newStamp == oldStamp && std::chrono::steady_clock::now() < deadline) {
        WriteFile(tipsPath + ".new", "New one\nNew two\n");
        fs::rename(tipsPath + ".new", tipsPath);
        std::FILE* file = std::fopen(tipsPath.c_str(), "r");
        newStamp = TipsFileTimeStamp(file);
        std::fclose(file);
    }
    ASSERT_NE(newStamp, oldStamp);
    SetProfile("FilePos", "8");
    {
        TipsReader reader(tipsPath, profilePath);
        EXPECT_EQ(reader.TipText(), "New one\n");
    }
    EXPECT_EQ(Profile("TimeStamp"), newStamp);
    EXPECT_EQ(Profile("FilePos"), "8");
}

TEST_F(TipsReaderTest, FileWithoutTipsEndsAfterOnePass) {
    for (const std::string file : {"", "; only\n;comments\n\n \n\t\n"}) {
        SCOPED_TRACE(file);
        WriteFile(tipsPath, file);
        fs::remove(profilePath);
        TipsReader reader(tipsPath, profilePath);
        EXPECT_EQ(reader.TipText(), kTipsTrouble);
        EXPECT_FALSE(reader.CanAdvance());
        EXPECT_FALSE(reader.TakeTrouble());
        reader.NextTip();
        EXPECT_EQ(reader.TipText(), kTipsTrouble);
    }
}

TEST_F(TipsReaderTest, RewindThatFailsIsReportedOnceAndEndsTheSearch) {
    ASSERT_EQ(mkfifo(tipsPath.c_str(), 0600), 0);
    SetProfile("FilePos", "4");
    std::thread writer([path = tipsPath] {
        const int fd = open(path.c_str(), O_WRONLY);
        const std::string text = "A\nB\n";
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    });
    {
        TipsReader reader(tipsPath, profilePath);
        writer.join();
        EXPECT_TRUE(reader.TakeTrouble()); // the stored position cannot be reached in a pipe
        reader.NextTip();
        EXPECT_EQ(reader.TipText(), "A\n");
        reader.NextTip();
        EXPECT_EQ(reader.TipText(), "B\n");
        EXPECT_FALSE(reader.TakeTrouble());

        reader.NextTip();
        EXPECT_TRUE(reader.TakeTrouble());
        EXPECT_EQ(reader.TipText(), "");
        EXPECT_FALSE(reader.CanAdvance());
        reader.NextTip();
        EXPECT_FALSE(reader.TakeTrouble());
    }
    EXPECT_EQ(Profile("FilePos"), "4");
}

} // namespace
