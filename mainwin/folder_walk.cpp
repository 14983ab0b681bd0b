#include "mainwin/folder_walk.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

const std::string& VideoFileFilters() {
    // Today's sources (phones, cameras, downloads) are in "All support files" as well, and "All files" comes last.
    static const std::string filters =
        "All support files (*.zodi *.avi *.div *.xvid *.mpeg *.mpg *.wmv *.asf *.asx *.mp4 *.m4v *.mov *.mkv *.webm "
        "*.ts *.mts *.m2ts *.3gp *.flv *.vob *.ogv);;"
        "AVI file (*.AVI,*.ZodI,*.div,*.Xvid) (*.avi *.zodi *.div *.xvid);;"
        "MPEG file (*.MPEG,*.MPG,*.DAT) (*.mpeg *.mpg *.dat);;"
        "WMV file (*.WMV,*.ASF,*.ASX) (*.wmv *.asf *.asx);;"
        "Other video files (*.mp4 *.m4v *.mov *.mkv *.webm *.ts *.mts *.m2ts *.3gp *.flv *.vob *.ogv);;"
        "All files (*)";
    return filters;
}

const std::vector<std::string>& VideoExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> found;
        const std::string& filters = VideoFileFilters();
        for (std::size_t at = filters.find("*."); at != std::string::npos; at = filters.find("*.", at + 1)) {
            std::string extension;
            for (std::size_t i = at + 2; i < filters.size() && std::isalnum(static_cast<unsigned char>(filters[i]));
                 ++i)
                extension += static_cast<char>(std::tolower(static_cast<unsigned char>(filters[i])));
            if (std::find(found.begin(), found.end(), extension) == found.end())
                found.push_back(extension);
        }
        return found;
    }();
    return extensions;
}

namespace {
bool HasVideoExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    if (extension.size() < 2)
        return false;
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto& known = VideoExtensions();
    return std::find(known.begin(), known.end(), extension.substr(1)) != known.end();
}
} // namespace

std::vector<std::string> VideoFilesUnder(const std::string& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.filename().string().starts_with('.')) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        // A link to a file counts as the file; a link to a folder is not entered (is_directory follows the link,
        // but the iterator does not).
        if (it->is_regular_file(ec) && HasVideoExtension(path))
            found.push_back(path);
        ec.clear();
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (const fs::path& path : found)
        paths.push_back(path.string());
    return paths;
}

std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths, std::vector<std::string>* noVideo) {
    std::vector<std::string> expanded;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            expanded.push_back(path);
            continue;
        }
        std::vector<std::string> files = VideoFilesUnder(path);
        if (files.empty() && noVideo)
            noVideo->push_back(path);
        expanded.insert(expanded.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
    }
    return expanded;
}
