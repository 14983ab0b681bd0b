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

inline bool Has(const std::vector<std::string>& args, const std::string& word) {
    return std::find(args.begin(), args.end(), word) != args.end();
}

// The converter's text for AVI with MPEG-4 (DX50) video and MP3 audio at 1000 / 128 kbit/s and 25 fps.
inline const char* const kAviText =
    "in.mpg -o out.avi -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
    "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts "
    "i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 "
    "-ofps 25.000000 -endpos 9:0:0 0 3146290";
