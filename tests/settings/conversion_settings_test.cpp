#include "settings/conversion_settings.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "settings/program_dir.h"
#include "support/temp_dir.h"

namespace {

// Every key of a first run, in the order they are written.
TEST(SettingsTest, FirstRunLoadsDefaultsAndSavesEveryKey) {
    TempDir tmp;
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/tester", 1);
    const StoredSettings loaded = LoadSettings(tmp.dir());
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(loaded.outputFolder, "/home/tester/output video/");
    EXPECT_EQ(loaded.programVersion, "1.00");

    std::string error;
    ASSERT_TRUE(SaveSettings(tmp.dir(), loaded.settings, loaded.outputFolder, &error)) << error;
    EXPECT_EQ(ReadFile(tmp.file("option.ini")),
              "[Destinate]\nLetterbox=1\nTemporary folder=/home/tester/output video/\nOutput format=0\nTV mode=0\n"
              "MPEG aspect ratio=2\nDVD aspect ratio=1\nAVI quality=4\nMPEG1 quality=3\nMPEG2 quality=3\n"
              "SVCD quality=4\nDVD quality=5\nWMV quality=5\nAVI video codec=0\nASF video codec=2\n"
              "AVI audio codec=0\nZodi audio codec=0\nXvid audio codec=0\nDVD audio codec=0\nWMV audio codec=1\n"
              "ASF audio codec=1\nAVI resolution=0\nMPEG resolution=0\nAVI frame rate=0\nMPEG frame rate=0\n"
              "Volume=20\nMP4 quality=3\nMP4 video codec=0\nMP4 audio codec=0\nMKV quality=3\nMKV video codec=0\n"
              "MKV audio codec=0\nWebM quality=3\nWebM video codec=0\nHD resolution=0\nHD frame rate=0\n");
}

TEST(SettingsTest, HandEditedFileLoadsAsAtoiReadsAndKeepsForeignLines) {
    TempDir tmp;
    WriteFile(tmp.file("option.ini"), "; my settings\r\n[General]\r\nVolume=3\r\n\r\n[DESTINATE]\r\n"
                                      "output format=14\r\nVolume=\r\ntv MODE=  7 frames\r\nAVI quality=-3\r\n"
                                      "MPEG1 quality=seven\r\n; remember: PAL\r\ntemporary FOLDER=/data/out/\r\n"
                                      "\r\n[Other]\r\nkey=value\r\n");
    WriteFile(tmp.file("version.ini"), "[general]\nversion=2.5b\n");

    const StoredSettings loaded = LoadSettings(tmp.dir());
    EXPECT_EQ(loaded.outputFolder, "/data/out/");
    EXPECT_EQ(loaded.programVersion, "2.5b");

    std::string error;
    ASSERT_TRUE(SaveSettings(tmp.dir(), loaded.settings, loaded.outputFolder, &error)) << error;
    const std::string saved = ReadFile(tmp.file("option.ini"));
    for (const char* kept :
         {"; my settings\r\n[General]\r\nVolume=3\r\n\r\n[DESTINATE]\r\n", "; remember: PAL\r\n",
          "\r\n[Other]\r\nkey=value\r\n", "output format=14\r\n", "Volume=0\r\n", "tv MODE=7\r\n",
          "temporary FOLDER=/data/out/\r\n", "MPEG1 quality=0\r\n", "DVD quality=5\r\n", "AVI quality=-3\r\n",
          "WebM quality=3\r\n"}) // a file from before gains the new keys, with their defaults
        EXPECT_NE(saved.find(kept), std::string::npos) << "missing: " << kept << "\nin:\n" << saved;
    EXPECT_EQ(LoadSettings(tmp.dir()).settings, loaded.settings) << "a second load reads what was saved";
}

TEST(ProgramDirTest, FolderAndNameOfTheProgramPath) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/opt/qzc/bin/quor-zodi-converter", "/opt/qzc/bin/", "quor-zodi-converter"},
        {"quor-zodi-converter", "", "quor-zodi-converter"},
        {"/tools/x.exe", "/tools/", "x"},
        {"/a.b/prog", "/a.b/", "prog"},
    };
    for (const auto& [path, dir, name] : cases) {
        EXPECT_EQ(GetProgramDir(path), dir) << path;
        EXPECT_EQ(GetApplicationName(path), name) << path;
    }
}

// A refused setting changes nothing; the taken ones change their own field only.
TEST(ApplySettingTest, KeysAndNumbersAsOptionIniWritesThem) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"DVD quality", "3", true},       {"tv MODE", "1", true},   {"Volume", "-7", true},
        {"Volume", "loud", false},        {"Volume", "12x", false}, {"Volume", "99999999999", false},
        {"Temporary folder", "1", false}, {"Colour", "1", false},
    };
    ConversionSettings s = SettingsFromText("[Destinate]\nOutput format=7\n"), expected = s;
    expected.dvdQuality = 3;
    expected.tvMode = 1;
    expected.volume = -7;
    for (const auto& [key, value, taken] : cases) {
        const ConversionSettings before = s;
        EXPECT_EQ(ApplySetting(s, key, value), taken) << key << "=" << value;
        EXPECT_TRUE(taken || s == before) << key << "=" << value;
    }
    EXPECT_EQ(s, expected);
}

} // namespace
