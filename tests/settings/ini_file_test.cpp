#include "settings/ini_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* const kHandEdited = "; written by hand\r\n"
                                "[Other]\r\n"
                                "Volume=99\r\n"
                                "\r\n"
                                "[destinate]\r\n"
                                "  output FORMAT = 12  \r\n"
                                "; a comment inside the section\r\n"
                                "Volume=\r\n"
                                "Quoted=\"C:\\a b\\\"\r\n"
                                "\r\n"
                                "[Tail]\r\n"
                                "x=1";

struct GetCase {
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniFileTest, ReadsLikeTheProfileFunctions) {
    const IniFile ini = IniFile::FromText(kHandEdited);
    const GetCase cases[] = {
        {"Destinate", "Output format", "12"}, // names in any case, blanks around key and value dropped
        {"DESTINATE", "output format", "12"}, //
        {"Destinate", "Volume", ""},          // present but empty: empty, not the default
        {"Other", "Volume", "99"},            // same key in another section
        {"Destinate", "Quoted", "C:\\a b\\"}, // matching quotes are not part of the value
        {"Destinate", "Missing", "default"},  // missing key
        {"Nowhere", "Volume", "default"},     // missing section
        {"Destinate", "; a comment inside the section", "default"}, // a comment is no key
        {"Tail", "x", "1"},                                         // last line without line ending
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.Get(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
}

TEST(IniFileTest, MissingFileGivesDefaults) {
    TempDir tmp;
    const IniFile ini = IniFile::Load(tmp.file("absent.ini"));
    EXPECT_EQ(ini.Get("Destinate", "Volume", "20"), "20");
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFileTest, LongValuesAreCutTo255Characters) {
    const std::string exact(255, 'a');
    const std::string longer(300, 'b');
    const IniFile ini = IniFile::FromText("[s]\nexact=" + exact + "\nlonger=" + longer + "\n");
    EXPECT_EQ(ini.Get("s", "exact", ""), exact);
    EXPECT_EQ(ini.Get("s", "longer", ""), std::string(255, 'b'));
    EXPECT_EQ(IniFile().Get("s", "k", longer).size(), 255u) << "a long default is cut the same way";
}

struct SetCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

TEST(IniFileTest, WritesInPlaceAndKeepsEveryOtherLine) {
    const SetCase cases[] = {
        {"replace in place, other lines untouched", "; c\n[S]\na=1\n  B = 2 \nc=3\n", "s", "b", "9",
         "; c\n[S]\na=1\nB=9\nc=3\n"},
        {"new key after the section's last line, before the blank line", "[S]\na=1\n\n[T]\nb=2\n", "S", "z", "5",
         "[S]\na=1\nz=5\n\n[T]\nb=2\n"},
        {"new section at the end", "[S]\na=1\n", "New", "k", "v", "[S]\na=1\n[New]\nk=v\n"},
        {"empty file", "", "Destinate", "Volume", "20", "[Destinate]\nVolume=20\n"},
        {"last line without ending", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
        {"CRLF file stays CRLF", "[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        {"CRLF replaced value keeps CRLF", "[S]\r\na=1\r\n", "s", "A", "", "[S]\r\na=\r\n"},
        {"empty value written empty", "[S]\na=1\n", "S", "a", "", "[S]\na=\n"},
    };
    for (const auto& c : cases) {
        IniFile ini = IniFile::FromText(c.before);
        ini.Set(c.section, c.key, c.value);
        EXPECT_EQ(ini.Text(), c.after) << c.name;
    }
}

TEST(IniFileTest, SaveReplacesTheFileWhole) {
    TempDir tmp;
    const std::string path = tmp.file("option.ini");
    WriteFile(path, "; keep me\n[S]\na=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    IniFile ini = IniFile::Load(path);
    ini.Set("S", "a", "2");
    std::string error;
    ASSERT_TRUE(ini.Save(path, &error)) << error;

    EXPECT_EQ(ReadFile(path), "; keep me\n[S]\na=2\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1)
        << "no temporary file is left beside it";
}

TEST(IniFileTest, SaveRefusesReadOnlyPlacesAndLeavesThemAlone) {
    TempDir tmp;
    IniFile ini = IniFile::FromText("[S]\na=2\n");
    std::string error;

    const std::string readOnlyFile = tmp.file("ro.ini");
    WriteFile(readOnlyFile, "[S]\na=1\n");
    fs::permissions(readOnlyFile, fs::perms::owner_read);
    EXPECT_FALSE(ini.Save(readOnlyFile, &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(readOnlyFile), "[S]\na=1\n");

    const fs::path readOnlyFolder = tmp.path() / "locked";
    fs::create_directory(readOnlyFolder);
    fs::permissions(readOnlyFolder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(ini.Save((readOnlyFolder / "option.ini").string(), &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(readOnlyFolder / "option.ini"));

    EXPECT_FALSE(ini.Save(tmp.file("missing/option.ini"), &error));
    EXPECT_FALSE(fs::exists(tmp.path() / "missing"));
}

} // namespace
