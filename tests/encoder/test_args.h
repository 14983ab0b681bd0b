#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

// Splits a parameter text without quoted paths into its arguments.
inline std::vector<std::string> Args(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> args;
    for (std::string word; in >> word;)
        args.push_back(word);
    return args;
}

// Whether `option` is followed directly by `value` somewhere in `args`.
inline bool HasPair(const std::vector<std::string>& args, const std::string& option, const std::string& value) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option && args[i + 1] == value)
            return true;
    return false;
}

// Whether `word` is one of `args`.
inline bool Has(const std::vector<std::string>& args, const std::string& word) {
    return std::find(args.begin(), args.end(), word) != args.end();
}
