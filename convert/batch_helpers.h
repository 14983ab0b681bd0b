#pragma once

#include <cstdint>
#include <string>

#include "settings/conversion_settings.h"
#include "convert/parameter_text.h"

// "avi", "mpeg", "vob", "wmv" or "asf": the file extension of an output format ("avi" for unknown values).
const char* OutputExtension(int outputFormat);

// The output path for `inputPath`: the output folder (a '/' appended when missing), the input's file name
// with the format's extension. When that path exists already, the input's extension is worked into the
// name ("movie_avi.avi"); a file name without a dot gets the extension appended.
std::string MakeOutputPath(const std::string& outputFolder, const std::string& inputPath, int outputFormat);

// "clip (2).avi" for "clip.avi" and 2: the number goes before the extension of the file name.
std::string NumberedPath(const std::string& path, int number);

// Why `folder` can't be an output folder ("" when it can): a path longer than kMaxPathLength, or one holding a
// double quote or a line break, which could not reach the encoder safely.
std::string OutputFolderProblem(const std::string& folder);

// Letter-box room for one file: a positive width leaves room at the sides, a positive height above and below.
struct LetterboxSpare {
    int width = 0;
    int height = 0;
};

// The letter-box room for a source of the given size in the frame size the settings ask for. Both 0 without
// letter box, with a 0 x 0 frame size, or when the source size is unknown (0).
LetterboxSpare ComputeLetterboxSpare(const ConversionSettings& settings, int sourceWidth, int sourceHeight);

// Makes sure `folder` exists (creating every missing level) and makes it the current directory.
// 0 on success, -1 on failure; then `why` (when given) gets the system's reason.
int EnsureFolder(std::string folder, std::string* why = nullptr);

// "%02d:%02d:%02d" of whole seconds; hours grow past two digits.
std::string FormatSeconds(std::int64_t seconds);
