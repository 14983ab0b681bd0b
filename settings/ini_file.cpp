#include "settings/ini_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "settings/write_file_safely.h"

namespace {

std::string_view Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "[name]" (blanks around allowed) gives name; anything else gives false.
bool SectionName(std::string_view line, std::string_view* name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    *name = Trim(line.substr(1, close - 1));
    return true;
}

// "key = value" gives key and value; comment lines and lines without '=' give false.
bool KeyValue(std::string_view line, std::string_view* key, std::string_view* value) {
    const auto trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return false;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
}

} // namespace

IniFile IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream content;
    content << in.rdbuf();
    return FromText(content.str());
}

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    // Some editors start a file with a UTF-8 byte-order mark; it is no part of the first line, and it stays.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        ini.m_byteOrderMark = std::string(kByteOrderMark);
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const auto nl = text.find('\n');
        Line line;
        if (nl == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            const bool crlf = nl > 0 && text[nl - 1] == '\r';
            line.text = std::string(text.substr(0, crlf ? nl - 1 : nl));
            line.ending = crlf ? "\r\n" : "\n";
            text.remove_prefix(nl + 1);
        }
        ini.m_lines.push_back(std::move(line));
    }
    return ini;
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::string_view name;
        if (SectionName(m_lines[i].text, &name) && EqualsNoCase(name, Trim(section)))
            return i;
    }
    return m_lines.size();
}

std::size_t IniFile::FindKey(std::size_t header, std::string_view key) const {
    for (std::size_t i = header + 1; i < m_lines.size(); ++i) {
        std::string_view name, k, v;
        if (SectionName(m_lines[i].text, &name))
            break;
        if (KeyValue(m_lines[i].text, &k, &v) && EqualsNoCase(k, Trim(key)))
            return i;
    }
    return std::string::npos;
}

std::string IniFile::Get(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    std::string_view found = defaultValue;
    const auto header = FindSection(section);
    if (header < m_lines.size()) {
        const auto at = FindKey(header, key);
        if (at != std::string::npos) {
            std::string_view k;
            KeyValue(m_lines[at].text, &k, &found);
            // A value wrapped in matching quotes is read without them, as the profile functions do.
            if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') && found.back() == found.front())
                found = found.substr(1, found.size() - 2);
        }
    }
    return std::string(found.substr(0, kMaxValueLength));
}

std::string IniFile::NewLineEnding() const {
    for (const auto& line : m_lines)
        if (!line.ending.empty())
            return line.ending;
    return "\n";
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
    const std::string eol = NewLineEnding();
    auto header = FindSection(section);
    if (header == m_lines.size()) {
        if (!m_lines.empty() && m_lines.back().ending.empty())
            m_lines.back().ending = eol;
        m_lines.push_back({"[" + std::string(Trim(section)) + "]", eol});
        m_lines.push_back({entry, eol});
        return;
    }
    const auto at = FindKey(header, key);
    if (at != std::string::npos) {
        // The file's own spelling of the key name stays.
        std::string_view existingKey, oldValue;
        KeyValue(m_lines[at].text, &existingKey, &oldValue);
        m_lines[at].text = std::string(existingKey) + "=" + std::string(value);
        return;
    }
    // A new key goes after the section's last non-blank line, before any blank lines that part it from the
    // next section.
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < m_lines.size(); ++i) {
        std::string_view name;
        if (SectionName(m_lines[i].text, &name))
            break;
        if (!Trim(m_lines[i].text).empty())
            insertAt = i + 1;
    }
    if (m_lines[insertAt - 1].ending.empty())
        m_lines[insertAt - 1].ending = eol;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{entry, eol});
}

std::string IniFile::Text() const {
    std::string text = m_byteOrderMark;
    for (const auto& line : m_lines)
        text += line.text + line.ending;
    return text;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
    return WriteFileSafely(path, Text(), error);
}
