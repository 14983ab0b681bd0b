#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "mainwin/tips_reader.h"
#include "settings/conversion_settings.h"
#include "settings/ini_file.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const TempDir& tmp) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(tmp.path()))
        names.insert(entry.path().filename().string());
    return names;
}

// A file size limit for this process while it lives: a write beyond it fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old;
};

// The settings and the tips profile are replaced whole or left as they were, keeping their permissions, and nothing
// else in their folder is touched: not a file that a link lying in wait points to, and no temporary file is left.
TEST(SafeWriteTest, SettingsFilesAreReplacedWholeOrLeftAlone) {
    enum Writer { kSettings, kTipsProfile };
    enum Trap { kLinkAtTheTemporaryName, kUsersOwnLink, kFullDisk, kReadOnlyFile, kReadOnlyFolder };
    const struct {
        const char* name;
        Writer writer;
        Trap trap;
    } rows[] = {
        {"option.ini, a link at option.ini.new", kSettings, kLinkAtTheTemporaryName},
        {"tips profile, a link at its .new", kTipsProfile, kLinkAtTheTemporaryName},
        {"option.ini, a link the user made to the file they keep", kSettings, kUsersOwnLink},
        {"option.ini, disk full", kSettings, kFullDisk},
        {"option.ini marked read-only", kSettings, kReadOnlyFile},
        {"option.ini in a read-only folder", kSettings, kReadOnlyFolder},
    };
    // Group write, which the usual umask would take from a new file.
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir tmp;
        const std::string target = tmp.file(row.writer == kSettings ? "option.ini" : "profile.ini");
        const std::string kept = row.trap == kUsersOwnLink ? tmp.file("kept.ini") : target;
        const std::string before = "[Destinate]\nVolume=3\n";
        WriteFile(kept, before);
        fs::permissions(kept, row.trap == kReadOnlyFile ? fs::perms::owner_read : mode);
        if (row.trap == kUsersOwnLink)
            fs::create_symlink("kept.ini", target);
        WriteFile(tmp.file("tips.txt"), "A\nB\n");
        WriteFile(tmp.file("precious"), "precious");
        if (row.trap == kLinkAtTheTemporaryName)
            fs::create_symlink(tmp.file("precious"), target + ".new");
        const std::set<std::string> names = Names(tmp);
        const fs::perms permissions = fs::status(kept).permissions();
        if (row.trap == kReadOnlyFolder)
            fs::permissions(tmp.path(), fs::perms::owner_read | fs::perms::owner_exec);
        {
            FileSizeLimit limit(row.trap == kFullDisk ? before.size() + 8 : RLIM_INFINITY);
            if (row.writer == kSettings)
                SaveSettings(tmp.dir(), SettingsFromText(""), "/out/", nullptr);
            else
                TipsReader(tmp.file("tips.txt"), target);
        }
        const bool saved = row.trap == kLinkAtTheTemporaryName || row.trap == kUsersOwnLink;
        const IniFile written = IniFile::Load(target);
        if (!saved)
            EXPECT_EQ(ReadFile(target), before);
        else if (row.writer == kSettings)
            EXPECT_EQ(written.Get("Destinate", "Temporary folder", ""), "/out/");
        else
            EXPECT_EQ(written.Get("Tip", "FilePos", ""), "2");
        EXPECT_EQ(fs::status(kept).permissions(), permissions);
        EXPECT_EQ(fs::is_symlink(target), row.trap == kUsersOwnLink);
        EXPECT_EQ(ReadFile(tmp.file("precious")), "precious");
        EXPECT_EQ(Names(tmp), names);
    }
}

} // namespace
