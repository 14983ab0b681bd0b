#include "settings/conversion_settings.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "settings/program_dir.h"
#include "support/temp_dir.h"

namespace {

// All 25 keys of a first run, in the order they are written.
std::string FirstRunFile(const std::string& folder) {
    return "[Destinate]\n"
           "Letterbox=1\n"
           "Temporary folder=" +
           folder +
           "\n"
           "Output format=0\n"
           "TV mode=0\n"
           "MPEG aspect ratio=2\n"
           "DVD aspect ratio=1\n"
           "AVI quality=4\n"
           "MPEG1 quality=3\n"
           "MPEG2 quality=3\n"
           "SVCD quality=4\n"
           "DVD quality=5\n"
           "WMV quality=5\n"
           "AVI video codec=0\n"
           "ASF video codec=2\n"
           "AVI audio codec=0\n"
           "Zodi audio codec=0\n"
           "Xvid audio codec=0\n"
           "DVD audio codec=0\n"
           "WMV audio codec=1\n"
           "ASF audio codec=1\n"
           "AVI resolution=0\n"
           "MPEG resolution=0\n"
           "AVI frame rate=0\n"
           "MPEG frame rate=0\n"
           "Volume=20\n";
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        m_oldHome = home ? home : "";
        setenv("HOME", "/home/tester", 1);
    }
    void TearDown() override { setenv("HOME", m_oldHome.c_str(), 1); }

    TempDir m_tmp;
    std::string m_oldHome;
};

TEST_F(SettingsTest, FirstRunLoadsDefaultsAndSavesAll25Keys) {
    const StoredSettings loaded = LoadSettings(m_tmp.dir());

    ConversionSettings expected;
    expected.letterbox = 1;
    expected.mpegAspectRatio = 2;
    expected.dvdAspectRatio = 1;
    expected.aviQuality = 4;
    expected.mpeg1Quality = 3;
    expected.mpeg2Quality = 3;
    expected.svcdQuality = 4;
    expected.dvdQuality = 5;
    expected.wmvQuality = 5;
    expected.asfVideoCodec = 2;
    expected.wmvAudioCodec = 1;
    expected.asfAudioCodec = 1;
    expected.volume = 20;
    EXPECT_EQ(loaded.settings, expected);
    EXPECT_EQ(loaded.outputFolder, "/home/tester/output video/");
    EXPECT_EQ(loaded.programVersion, "1.00");

    std::string error;
    ASSERT_TRUE(SaveSettings(m_tmp.dir(), loaded.settings, loaded.outputFolder, &error)) << error;
    EXPECT_EQ(ReadFile(m_tmp.file("option.ini")), FirstRunFile("/home/tester/output video/"));
}

TEST_F(SettingsTest, HandEditedFileLoadsAsAtoiReadsAndKeepsForeignLines) {
    const std::string handEdited = "; my settings\r\n"
                                   "[General]\r\n"
                                   "Volume=3\r\n"
                                   "\r\n"
                                   "[DESTINATE]\r\n"
                                   "output format=12\r\n"
                                   "Volume=\r\n"
                                   "tv MODE=  7 frames\r\n"
                                   "AVI quality=-3\r\n"
                                   "MPEG1 quality=seven\r\n"
                                   "; remember: PAL\r\n"
                                   "temporary FOLDER=/data/out/\r\n"
                                   "\r\n"
                                   "[Other]\r\n"
                                   "key=value\r\n";
    WriteFile(m_tmp.file("option.ini"), handEdited);
    WriteFile(m_tmp.file("version.ini"), "[general]\nversion=2.5b\n");

    const StoredSettings loaded = LoadSettings(m_tmp.dir());
    struct {
        const char* what;
        std::int32_t actual;
        std::int32_t expected;
    } const fields[] = {
        {"Output format beyond the list kept", loaded.settings.outputFormat, 12},
        {"empty Volume is 0, not the default", loaded.settings.volume, 0},
        {"digits then text", loaded.settings.tvMode, 7},
        {"negative", loaded.settings.aviQuality, -3},
        {"no digits", loaded.settings.mpeg1Quality, 0},
        {"missing key takes its default", loaded.settings.dvdQuality, 5},
    };
    for (const auto& f : fields)
        EXPECT_EQ(f.actual, f.expected) << f.what;
    EXPECT_EQ(loaded.outputFolder, "/data/out/");
    EXPECT_EQ(loaded.programVersion, "2.5b");

    std::string error;
    ASSERT_TRUE(SaveSettings(m_tmp.dir(), loaded.settings, loaded.outputFolder, &error)) << error;
    const std::string saved = ReadFile(m_tmp.file("option.ini"));
    for (const char* kept : {"; my settings\r\n[General]\r\nVolume=3\r\n\r\n[DESTINATE]\r\n", "; remember: PAL\r\n",
                             "\r\n[Other]\r\nkey=value\r\n", "output format=12\r\n", "Volume=0\r\n", "tv MODE=7\r\n",
                             "temporary FOLDER=/data/out/\r\n", "MPEG1 quality=0\r\n", "DVD quality=5\r\n"})
        EXPECT_NE(saved.find(kept), std::string::npos) << "missing: " << kept << "\nin:\n" << saved;
    EXPECT_EQ(LoadSettings(m_tmp.dir()).settings, loaded.settings) << "a second load reads what was saved";
}

TEST_F(SettingsTest, OutputFolderIsCutTo255Characters) {
    const std::string exact = "/" + std::string(253, 'x') + "/";
    WriteFile(m_tmp.file("option.ini"), "[Destinate]\nTemporary folder=" + exact + "\n");
    EXPECT_EQ(LoadSettings(m_tmp.dir()).outputFolder, exact);

    WriteFile(m_tmp.file("option.ini"), "[Destinate]\nTemporary folder=" + exact + "tail\n");
    EXPECT_EQ(LoadSettings(m_tmp.dir()).outputFolder, exact);
}

TEST_F(SettingsTest, EmptyProgramDirMeansTheCurrentFolder) {
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(m_tmp.path());
    WriteFile("option.ini", "[Destinate]\nVolume=33\n");
    const int volume = LoadSettings("").settings.volume;
    std::filesystem::current_path(old);
    EXPECT_EQ(volume, 33);
}

TEST(ProgramDirTest, FolderAndNameOfTheProgramPath) {
    struct {
        const char* path;
        const char* dir;
        const char* name;
    } const cases[] = {
        {"/opt/qzc/bin/quor-zodi-converter", "/opt/qzc/bin/", "quor-zodi-converter"},
        {"./quor-zodi-converter", "./", "quor-zodi-converter"},
        {"quor-zodi-converter", "", "quor-zodi-converter"},
        {"/tools/x.exe", "/tools/", "x"},
        {"/a.b/prog", "/a.b/", "prog"},
        {"/prog", "/", "prog"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetProgramDir(c.path), c.dir) << c.path;
        EXPECT_EQ(GetApplicationName(c.path), c.name) << c.path;
    }
}

} // namespace

TEST(ApplySettingTest, KeysAndNumbersAsOptionIniWritesThem) {
    struct Case {
        const char* key;
        const char* value;
        bool taken;
    };
    const Case cases[] = {
        {"DVD quality", "3", true},
        {"tv MODE", "1", true},
        {"Volume", "-7", true},
        {"Volume", "loud", false},
        {"Volume", "", false},
        {"Volume", "12x", false},
        {"Volume", "99999999999", false},
        {"Temporary folder", "1", false},
        {"Colour", "1", false},
    };
    for (const Case& c : cases) {
        ConversionSettings s = SettingsFromText("");
        const ConversionSettings before = s;
        EXPECT_EQ(ApplySetting(s, c.key, c.value), c.taken) << c.key << "=" << c.value;
        if (!c.taken)
            EXPECT_EQ(s, before) << c.key << "=" << c.value;
    }
    ConversionSettings s = SettingsFromText("[Destinate]\nOutput format=7\n");
    ASSERT_TRUE(ApplySetting(s, "DVD quality", "3"));
    ASSERT_TRUE(ApplySetting(s, "tv MODE", "1"));
    EXPECT_EQ(s.outputFormat, 7);
    EXPECT_EQ(s.dvdQuality, 3);
    EXPECT_EQ(s.tvMode, 1);
    EXPECT_EQ(s.volume, 20); // untouched keys keep the first-run value
}
