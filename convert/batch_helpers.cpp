#include "convert/batch_helpers.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "settings/output_profiles.h"

namespace {

// The text after the last dot of the file-name part of `path` ("" when the name has no dot): a dot in a folder
// name ("/a.b/clip") is no extension.
std::string::size_type ExtensionDot(const std::string& path) {
    const std::string::size_type nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::string::size_type dot = path.rfind('.');
    return dot == std::string::npos || dot < nameStart ? std::string::npos : dot;
}

bool PathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

bool EnterFolder(const std::string& folder, std::error_code& ec) {
    std::filesystem::current_path(folder, ec);
    return !ec;
}

std::int32_t ClampToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

} // namespace

const char* OutputExtension(int outputFormat) {
    const FormatDescription* format = DescribeFormat(outputFormat);
    return format ? format->extension : "avi";
}

std::string MakeOutputPath(const std::string& outputFolder, const std::string& inputPath, int outputFormat) {
    const std::string extension = OutputExtension(outputFormat);
    std::string path = outputFolder;
    // An empty folder means the current one, not the file-system root.
    if (!path.empty() && path.back() != '/')
        path += '/';
    const std::string::size_type slash = inputPath.rfind('/');
    path += slash == std::string::npos ? inputPath : inputPath.substr(slash + 1);

    const std::string::size_type dot = ExtensionDot(path);
    const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    const std::string plain = stem + "." + extension;
    if (!PathExists(plain))
        return plain;

    // The plain name is taken (often by the input itself): work the input's extension into the name.
    const std::string::size_type inputDot = ExtensionDot(inputPath);
    const std::string inputExtension = inputDot == std::string::npos ? "" : inputPath.substr(inputDot + 1);
    return stem + "_" + inputExtension + "." + extension;
}

LetterboxSpare ComputeLetterboxSpare(const ConversionSettings& settings, int sourceWidth, int sourceHeight) {
    DerivedValues derived;
    DeriveFrameSize(settings, derived);
    LetterboxSpare spare;
    const std::int64_t w = derived.frameWidth;
    const std::int64_t h = derived.frameHeight;
    // A source that never reported its size gets no room rather than a division by zero.
    if (settings.letterbox == 0 || w == 0 || h == 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return spare;
    // 64-bit products so that an absurd source size can't overflow; C++ division truncates toward zero.
    spare.width = ClampToInt32(w - h * sourceWidth / sourceHeight);
    spare.height = ClampToInt32(h - w * sourceHeight / sourceWidth);
    return spare;
}

std::string NumberedPath(const std::string& path, int number) {
    const std::string::size_type dot = ExtensionDot(path);
    const std::string suffix = " (" + std::to_string(number) + ")";
    return dot == std::string::npos ? path + suffix : path.substr(0, dot) + suffix + path.substr(dot);
}

std::string OutputFolderProblem(const std::string& folder) {
    if (folder.size() > kMaxPathLength)
        return "its path is longer than " + std::to_string(kMaxPathLength) + " characters";
    if (folder.find('"') != std::string::npos)
        return "it holds a double quote, which can't be passed to the encoder";
    if (folder.find_first_of("\r\n") != std::string::npos)
        return "it holds a line break, which can't be passed to the encoder";
    return {};
}

int EnsureFolder(std::string folder, std::string* why) {
    std::error_code ec;
    const auto fail = [&] {
        if (why)
            *why = ec ? ec.message() : "no such folder";
        return -1;
    };
    // Dropping the trailing '/' of "/" would leave nothing to enter.
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (EnterFolder(folder, ec))
        return 0;

    const std::string::size_type slash = folder.rfind('/');
    if (slash == std::string::npos)
        return fail();
    std::string toMake = folder;
    if (slash != 0) {
        // Build the parent first; it becomes the current directory, so the last level is made inside it.
        if (EnsureFolder(folder.substr(0, slash), why) != 0)
            return -1;
        toMake = folder.substr(slash + 1);
    }
    std::filesystem::create_directory(toMake, ec); // a level that exists already is fine
    if (ec)
        return fail();
    return EnterFolder(toMake, ec) ? 0 : fail();
}

std::string FormatSeconds(std::int64_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64, seconds / 3600, seconds % 3600 / 60,
                  seconds % 60);
    return text;
}
