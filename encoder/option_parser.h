#pragma once

#include <string>
#include <vector>

#include "encoder/encode_job.h"

namespace zezozov {

struct ParseResult {
    EncodeJob job;
    std::string error; // names the option that could not be read; empty on success
    bool ok() const { return error.empty(); }
};

// Reads the encoder's arguments (already split, without the program name): the input path, "-o" and the output
// path, options in the MEncoder syntax the converter writes, then the mode (0 convert, 1 probe) and the window
// handle. The paths are taken by position, so a file name that looks like an option is still a file name.
ParseResult ParseArguments(const std::vector<std::string>& args);

} // namespace zezozov
