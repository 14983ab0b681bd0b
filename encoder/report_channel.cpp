#include "encoder/report_channel.h"

#include <istream>
#include <ostream>
#include <string>

namespace zezozov {

bool ReportChannel::Report(int code, std::int64_t value) {
    m_reports << code << ' ' << value << '\n';
    m_reports.flush();
    if (m_repliesEnded)
        return false;
    std::string reply;
    if (!std::getline(m_replies, reply)) {
        m_repliesEnded = true;
        return false;
    }
    size_t first = reply.find_first_not_of(" \t\r");
    size_t last = reply.find_last_not_of(" \t\r");
    return first != std::string::npos && reply.substr(first, last - first + 1) == "1";
}

} // namespace zezozov
