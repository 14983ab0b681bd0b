#include "encoder/report_channel.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>

namespace zezozov {

bool ReportChannel::Report(int code, std::int64_t value, std::string_view text) {
    std::string line = std::to_string(code) + ' ' + std::to_string(value);
    if (!text.empty()) {
        std::string note(text.substr(0, kMaxReportLine - line.size() - 2));
        std::replace_if(
            note.begin(), note.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        line += ' ' + note;
    }
    m_reports << line << '\n';
    m_reports.flush();
    if (m_repliesEnded || m_broken)
        return true;
    // Read by hand rather than with getline, so that a reply without a line end can't grow without bound.
    std::string reply;
    for (;;) {
        const int c = m_replies.get();
        if (c == std::char_traits<char>::eof()) {
            if (reply.empty()) {
                // Nobody is listening any more: the program has ended, so the work is no longer wanted.
                m_repliesEnded = true;
                return true;
            }
            break;
        }
        if (c == '\n')
            break;
        if (reply.size() + 1 >= kMaxReportLine) {
            m_broken = true;
            return true;
        }
        reply += static_cast<char>(c);
    }
    size_t first = reply.find_first_not_of(" \t\r");
    size_t last = reply.find_last_not_of(" \t\r");
    return first != std::string::npos && reply.substr(first, last - first + 1) == "1";
}

} // namespace zezozov
