// libFuzzer harness: the INI store reading a file of any content, then reading, writing and writing out again.
// The first bytes up to a NUL pick the section, key and value of the write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view head = nul == std::string_view::npos ? std::string_view() : input.substr(0, nul);
    const std::string_view text = nul == std::string_view::npos ? input : input.substr(nul + 1);

    const std::size_t split = head.size() / 3;
    const std::string_view section = head.substr(0, split);
    const std::string_view key = head.substr(split, split);
    const std::string_view value = head.substr(2 * split);

    // Names and values a caller could hand the store: printable, without the characters of the file's syntax and
    // without blanks at either end (the store trims those).
    const auto plain = [](std::string_view s) {
        for (char c : s)
            if (static_cast<unsigned char>(c) < 0x20 || c == '=' || c == '[' || c == ']' || c == ';' || c == 0x7f)
                return false;
        return s.empty() || (s.front() != ' ' && s.back() != ' ');
    };

    IniFile ini = IniFile::FromText(text);
    (void)ini.Get(section, key, "default");
    ini.Set(section, key, value);
    // What was written reads back, cut to the longest value a read returns, and survives a round trip through text.
    if (!plain(section) || !plain(key) || !plain(value) || section.empty() || key.empty())
        return 0;
    // A value wrapped in matching quotes is read without them, as the profile functions do.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return 0;
    const std::string back = ini.Get(section, key, "\x01missing");
    if (back != value.substr(0, IniFile::kMaxValueLength))
        std::abort();
    if (IniFile::FromText(ini.Text()).Get(section, key, "\x01missing") != back)
        std::abort();
    return 0;
}
