#include "convert/batch_helpers.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "settings/output_profiles.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(MakeOutputPath, NamesOnARealFolder) {
    TempDir tmp;
    const std::string folder = tmp.path().string(); // no trailing '/'
    WriteFile(tmp.file("movie.avi"), "input");
    WriteFile(tmp.file("taken.mpeg"), "old output");
    WriteFile(tmp.file("archive.tar.wmv"), "old output");
    WriteFile(tmp.file("noext.vob"), "old output");

    struct Case {
        std::string folder, input;
        int format;
        std::string expected;
    };
    const Case cases[] = {
        {folder, "/in/clip.mpg", FORMAT_MPEG1, folder + "/clip.mpeg"},
        {folder + "/", "/in/clip.mpg", FORMAT_MPEG1, folder + "/clip.mpeg"},
        {folder, "/in/taken.mpg", FORMAT_MPEG1, folder + "/taken_mpg.mpeg"},
        // The input itself is never the output.
        {folder, folder + "/movie.avi", FORMAT_AVI, folder + "/movie_avi.avi"},
        {folder, "/in/archive.tar.gz", FORMAT_WMV, folder + "/archive.tar_gz.wmv"},
        {folder, "clip.AVI", FORMAT_ASF, folder + "/clip.asf"},
        // A dot in a folder name is no extension.
        {folder, "/a.b/noext", FORMAT_DVD, folder + "/noext_.vob"},
        {folder, "/a.b/fresh", FORMAT_DVD, folder + "/fresh.vob"},
        {folder + "/x.y", "/in/fresh", FORMAT_XVID, folder + "/x.y/fresh.avi"},
        {folder, "/in/clip.mpg", FORMAT_SVCD, folder + "/clip.mpeg"},
        {folder, "/in/clip.mov", FORMAT_WEBM, folder + "/clip.webm"},
        {folder, "/in/clip.mpg", kFormatCount, folder + "/clip.avi"}, // no such format
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeOutputPath(c.folder, c.input, c.format), c.expected) << c.input;
}

TEST(LetterboxSpare, RoomAtTheSidesOrAboveAndBelow) {
    struct Case {
        int letterbox, format, tvMode, aviResolution;
        int sourceWidth, sourceHeight;
        int spareWidth, spareHeight;
    };
    const Case cases[] = {
        {1, FORMAT_DVD, 1, 0, 640, 480, -48, 36},
        {1, FORMAT_DVD, 1, 0, 480, 576, 240, -288},
        {1, FORMAT_VCD, 0, 0, 1920, 1080, -74, 42}, // both divisions truncate
        {0, FORMAT_DVD, 1, 0, 640, 480, 0, 0},
        {1, FORMAT_AVI, 0, 0, 640, 480, 0, 0}, // "Original": nothing to fit into
        {1, FORMAT_AVI, 0, 19, 0, 480, 0, 0},  // size never reported
        {1, FORMAT_AVI, 0, 19, 640, 0, 0, 0},
        {1, FORMAT_AVI, 0, 19, 2147483647, 1, -2147483647 - 1, 576},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.letterbox = c.letterbox;
        s.outputFormat = c.format;
        s.tvMode = c.tvMode;
        s.aviResolution = c.aviResolution;
        const LetterboxSpare spare = ComputeLetterboxSpare(s, c.sourceWidth, c.sourceHeight);
        EXPECT_EQ(std::pair(spare.width, spare.height), std::pair(c.spareWidth, c.spareHeight))
            << c.format << " " << c.sourceWidth << "x" << c.sourceHeight;
    }
}

// Enters a folder, making every missing level; relative paths start from the current folder.
TEST(EnsureFolder, MakesAndEntersTheFolder) {
    TempDir tmp;
    const fs::path oldCwd = fs::current_path();
    const std::string root = tmp.path().string();
    const auto cwd = [] { return fs::current_path().string(); };
    WriteFile(root + "/file", "not a folder");
    const std::pair<std::string, std::string> rows[] = {
        {root, root},
        {"/", "/"},
        {root + "/", root},
        {root + "/a/b c/d/", root + "/a/b c/d"},
        {"./e/f", root + "/a/b c/d/e/f"},
        // Failures; a bare name with no '/' is never created.
        {root + "/file/sub/deeper", ""},
        {root + "/file", ""},
        {"missing", ""},
        {"", ""},
    };
    for (const auto& [folder, entered] : rows) {
        EXPECT_EQ(EnsureFolder(folder), entered.empty() ? -1 : 0) << folder;
        EXPECT_EQ(entered.empty() ? entered : cwd(), entered) << folder;
    }
    EXPECT_TRUE(fs::is_directory(root + "/a/b c")); // level by level
    EXPECT_FALSE(fs::exists(root + "/missing"));
    fs::current_path(oldCwd);
}

TEST(FormatSeconds, HoursMinutesSeconds) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {3725, "01:02:05"}, {86399, "23:59:59"}, {360000, "100:00:00"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
}

} // namespace

TEST(BatchHelpers, NumberedPathsAndUnusableFolders) {
    EXPECT_EQ(NumberedPath("/out/clip_mp4.avi", 2), "/out/clip_mp4 (2).avi");
    EXPECT_EQ(NumberedPath("/out.d/clip", 3), "/out.d/clip (3)"); // a dot in a folder is no extension
    const std::pair<std::string, const char*> folders[] = {
        {"/home/u/output video/", ""},
        {"/" + std::string(254, 'x'), ""},
        {"/" + std::string(255, 'x'), "its path is longer than 255 characters"},
        {"/home/u/\"quoted\"", "it holds a double quote, which can't be passed to the encoder"},
        {"/home/u/two\nlines", "it holds a line break, which can't be passed to the encoder"},
        {"/home/u/cr\r", "it holds a line break, which can't be passed to the encoder"},
    };
    for (const auto& [folder, problem] : folders)
        EXPECT_EQ(OutputFolderProblem(folder), problem) << folder;
}
