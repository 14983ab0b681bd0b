#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(IniFileTest, ReadsLikeTheProfileFunctions) {
    const std::string a255(255, 'a'), b300(300, 'b');
    const IniFile ini = IniFile::FromText("; written by hand\r\n[Other]\r\nVolume=99\r\n\r\n[destinate]\r\n"
                                          "  output FORMAT = 12  \r\n; a comment inside the section\r\nVolume=\r\n"
                                          "Quoted=\"C:\\a b\\\"\r\n\r\n[Tail]\r\nexact=" +
                                          a255 + "\r\nlonger=" + b300 + "\r\nx=1");
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"Destinate", "Output format", "12"}, // names in any case, blanks around key and value dropped
        {"DESTINATE", "output format", "12"}, //
        {"Destinate", "Volume", ""},          // present but empty: empty, not the default
        {"Other", "Volume", "99"},            // same key in another section
        {"Destinate", "Quoted", "C:\\a b\\"}, // matching quotes are not part of the value
        {"Destinate", "Missing", "default"},  // missing key
        {"Nowhere", "Volume", "default"},     // missing section
        {"Destinate", "; a comment inside the section", "default"}, // a comment is no key
        {"Tail", "x", "1"},                                         // last line without line ending
        {"Tail", "exact", a255},                                    // the longest value a read returns
        {"Tail", "longer", b300.substr(0, 255)},                    // longer ones cut to it
    };
    for (const auto& [section, key, expected] : cases)
        EXPECT_EQ(ini.Get(section, key, "default"), expected) << section << "/" << key;
    EXPECT_EQ(IniFile().Get("s", "k", b300), b300.substr(0, 255)) << "a long default is cut the same way";
    TempDir tmp;
    EXPECT_EQ(IniFile::Load(tmp.file("absent.ini")).Get("Destinate", "Volume", "20"), "20");
}

TEST(IniFileTest, WritesInPlaceAndKeepsEveryOtherLine) {
    const std::tuple<const char*, const char*, const char*, const char*, const char*, const char*> cases[] = {
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
        {"byte-order mark kept, the section after it found", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "2",
         "\xEF\xBB\xBF[S]\na=2\n"},
    };
    for (const auto& [name, before, section, key, value, after] : cases) {
        IniFile ini = IniFile::FromText(before);
        ini.Set(section, key, value);
        EXPECT_EQ(ini.Text(), after) << name;
    }
}

} // namespace
