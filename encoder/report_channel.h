#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "encoder/protocol.h"

namespace zezozov {

// The converter's ear: one "<code> <value>" line out, one reply line ("0" or "1") back. Once the reply stream has
// ended (the program is gone), every report counts as answered with a stop. A reply line longer than
// kMaxReportLine breaks the protocol: it counts as a stop, and Broken() says so.
class ReportChannel {
public:
    ReportChannel(std::istream& replies, std::ostream& reports) : m_replies(replies), m_reports(reports) {}

    // Sends one report and waits for its reply; true when the reply asks to stop. A `text` goes after the value,
    // on the same line: its line breaks become spaces and it is cut to fit kMaxReportLine.
    bool Report(int code, std::int64_t value, std::string_view text = {});
    bool Broken() const { return m_broken; }

private:
    std::istream& m_replies;
    std::ostream& m_reports;
    bool m_repliesEnded = false;
    bool m_broken = false;
};

} // namespace zezozov
