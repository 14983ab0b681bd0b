#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zezozov {

// Reads FFmpeg's -progress output (key=value lines, in pieces as they arrive) and tells which whole-second
// positions are new.
class ProgressReader {
public:
    // Takes the next piece of output; answers the positions (whole seconds) that went past the last one answered,
    // at most one per progress line.
    std::vector<int> Feed(std::string_view data);
    bool ended() const { return m_ended; }

private:
    void Line(std::string_view line, std::vector<int>& positions);

    std::string m_partial; // an unfinished last line, kept for the next piece
    int m_lastPosition = -1;
    bool m_ended = false;
};

// Why FFmpeg could not write its output, read from one line of its error output; "" when the line tells of no
// write failure. "the disk is full" for a full disk or quota, else the system's words ("File too large").
std::string WriteFailure(std::string_view line);

} // namespace zezozov
