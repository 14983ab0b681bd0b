#include "mainwin/folder_walk.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

// A folder as users have them: video files in any letter case at every depth, among photos, notes, hidden things and
// links. Only the video files come, in path order, each once.
TEST(FolderWalkTest, EveryVideoFileUnderTheFolderInPathOrder) {
    TempDir tmp;
    const fs::path root = tmp.path() / "videos";
    // A folder with a video's name (movie.avi) is walked into.
    const char* const files[] = {"b.avi",         "a/Z.MP4",        "a/clip.mkv",          "a/sub/deep/old.Webm",
                                 "a/notes.txt",   "photo.JPG",      "movie.avi/inner.mpg", "vcd/MPEGAV/AVSEQ01.DAT",
                                 ".hidden/x.avi", "a/.partial.avi", "noextension",         "a/avi"};
    for (const char* name : files) {
        fs::create_directories((root / name).parent_path());
        std::ofstream(root / name) << "x";
    }
    fs::create_symlink(root / "b.avi", root / "link.avi");     // a link to a file is the file
    fs::create_directory_symlink(root, root / "a" / "loop");   // a link to a folder is not entered
    ASSERT_EQ(::mkfifo((root / "pipe.avi").c_str(), 0600), 0); // nothing that could block the probe

    std::vector<std::string> expected;
    // Upper case sorts before lower.
    for (const char* name : {"a/Z.MP4", "a/clip.mkv", "a/sub/deep/old.Webm", "b.avi", "link.avi", "movie.avi/inner.mpg",
                             "vcd/MPEGAV/AVSEQ01.DAT"})
        expected.push_back((root / name).string());
    EXPECT_EQ(VideoFilesUnder(root.string()), expected);

    // Folders among other paths: each stands for its files, in place; one without any is named.
    std::vector<std::string> noVideo;
    const std::string lone = (tmp.path() / "lone.avi").string();
    fs::create_directories(tmp.path() / "empty" / "docs");
    std::ofstream(tmp.path() / "empty" / "docs" / "readme.txt") << "x";
    const std::vector<std::string> expanded = ExpandFolders(
        {lone, (root / "a" / "sub").string(), (tmp.path() / "empty").string(), (tmp.path() / "gone").string()},
        &noVideo);
    EXPECT_EQ(expanded, (std::vector<std::string>{lone, expected[2], (tmp.path() / "gone").string()}));
    EXPECT_EQ(noVideo, std::vector<std::string>{(tmp.path() / "empty").string()});
}
