#pragma once

#include <string>
#include <string_view>
#include <vector>

// An INI file with the semantics of the classic private-profile functions: section and key names are
// matched without regard to case, anything missing yields the caller's default, a write replaces the
// value of an existing key in place or adds the key (and its section) as needed, and every other line
// of the file, comments included, is kept byte for byte.
class IniFile {
public:
    // The longest value a read returns; longer stored values are cut (the callers' buffers hold 255).
    static constexpr std::size_t kMaxValueLength = 255;

    IniFile() = default;

    // Reads the file; a missing or unreadable file gives an empty store (every read then yields defaults).
    static IniFile Load(const std::string& path);
    // Parses file content as it would be read from disk.
    static IniFile FromText(std::string_view text);

    std::string Get(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

    // Replaces the file at `path` with the whole text (WriteFileSafely): a reader never sees a half-written file,
    // and a failure (false, with the reason) leaves the file as it was.
    bool Save(const std::string& path, std::string* error) const;

private:
    struct Line {
        std::string text;   // without the line ending
        std::string ending; // "\r\n", "\n" or "" (last line without ending)
    };

    // Index of the section header line, or lines.size() when the section is missing.
    std::size_t FindSection(std::string_view section) const;
    // Index of the key's line inside the section that starts at `header`, or npos.
    std::size_t FindKey(std::size_t header, std::string_view key) const;
    std::string NewLineEnding() const;

    std::string m_byteOrderMark; // kept in front of the first line when the file had one
    std::vector<Line> m_lines;
};
