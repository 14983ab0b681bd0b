#include "mainwin/kept_list.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "settings/settings_location.h"
#include "settings/write_file_safely.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kVersionLine = "quor-zodi-converter list 1\n";
constexpr std::string_view kEndLine = "end\n";
constexpr char kHex[] = "0123456789ABCDEF";

template <class T>
void AppendNumber(std::string& text, T value) {
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value).ptr; // a double's shortest text that reads back
    text.append(buffer, end);
    text += ' ';
}

// Takes the number before the next blank off `line`.
template <class T>
bool TakeNumber(std::string_view& line, T& value) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return false;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + blank, value);
    const bool whole = ec == std::errc() && end == line.data() + blank;
    line.remove_prefix(blank + 1);
    return whole;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> DecodePath(std::string_view text) {
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            path += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0)
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (path.empty())
        return std::nullopt;
    return path;
}

// Makes `folder` and any missing folder above it, private to the user as the state folder's rules ask.
bool MakeFolder(const fs::path& folder) {
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec))
        return true;
    if (!MakeFolder(folder.parent_path()) || !fs::create_directory(folder, ec))
        return false;
    fs::permissions(folder, fs::perms::owner_all, ec);
    return true;
}

} // namespace

std::string KeptListText(const std::vector<VideoFileEntry>& files) {
    // Written at every change of a list that may hold thousands of files: one buffer, the names copied in runs.
    std::size_t size = kVersionLine.size() + kEndLine.size();
    for (const VideoFileEntry& file : files)
        size += file.path.size() + 64;
    std::string text;
    text.reserve(size);
    text += kVersionLine;
    for (const VideoFileEntry& file : files) {
        AppendNumber(text, file.duration);
        AppendNumber(text, file.sourceWidth);
        AppendNumber(text, file.sourceHeight);
        AppendNumber(text, file.sourceFrameRate);
        std::size_t plain = 0; // the start of the run not yet copied
        for (std::size_t i = 0; i < file.path.size(); ++i) {
            const auto byte = static_cast<unsigned char>(file.path[i]);
            if (byte >= 0x20 && byte != 0x7F && byte != '%')
                continue;
            text.append(file.path, plain, i - plain);
            text += {'%', kHex[byte >> 4], kHex[byte & 15]};
            plain = i + 1;
        }
        text.append(file.path, plain);
        text += '\n';
    }
    return text += kEndLine;
}

std::optional<std::vector<VideoFileEntry>> ParseKeptList(std::string_view text) {
    if (text.substr(0, kVersionLine.size()) != kVersionLine || text.size() < kVersionLine.size() + kEndLine.size() ||
        text.substr(text.size() - kEndLine.size()) != kEndLine)
        return std::nullopt;
    text = text.substr(kVersionLine.size(), text.size() - kVersionLine.size() - kEndLine.size());
    std::vector<VideoFileEntry> files;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        if (eol == std::string_view::npos)
            return std::nullopt;
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        VideoFileEntry file;
        if (!TakeNumber(line, file.duration) || !TakeNumber(line, file.sourceWidth) ||
            !TakeNumber(line, file.sourceHeight) || !TakeNumber(line, file.sourceFrameRate) ||
            !std::isfinite(file.duration) || !std::isfinite(file.sourceFrameRate) || file.duration < 0)
            return std::nullopt;
        std::optional<std::string> path = DecodePath(line);
        if (!path)
            return std::nullopt;
        file.path = std::move(*path);
        files.push_back(std::move(file));
    }
    return files;
}

std::string KeptListFile(const std::string& xdgStateHome, const std::string& home) {
    return XdgBaseFolder(xdgStateHome, home, "/.local/state") + "quor-zodi-converter/file-list";
}

std::string KeptListFile() {
    return XdgBaseFolder("XDG_STATE_HOME", "/.local/state") + "quor-zodi-converter/file-list";
}

std::vector<VideoFileEntry> LoadKeptList(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (std::optional<std::vector<VideoFileEntry>> files = ParseKeptList(text))
        return std::move(*files);
    std::error_code ec;
    fs::rename(file, file + ".unreadable", ec);
    return {};
}

bool SaveKeptList(const std::string& file, const std::vector<VideoFileEntry>& files, std::string* error) {
    if (!MakeFolder(fs::path(file).parent_path())) {
        if (error)
            *error = "the folder " + fs::path(file).parent_path().string() + " could not be made";
        return false;
    }
    return WriteFileSafely(file, KeptListText(files), error);
}
