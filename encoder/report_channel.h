#pragma once

#include <cstdint>
#include <iosfwd>

namespace zezozov {

// Codes of the reports the converter understands.
enum ReportCode : int {
    REPORT_DURATION = 1,   // playing time, whole seconds
    REPORT_WIDTH = 2,      // pixels
    REPORT_HEIGHT = 3,     // pixels
    REPORT_FRAME_RATE = 4, // frames per second x 10 000 000
    REPORT_POSITION = 6,   // whole seconds done
};

// The converter's ear: one "<code> <value>" line out, one reply line ("0" or "1") back. Once the reply stream
// has ended, every further reply counts as 0.
class ReportChannel {
public:
    ReportChannel(std::istream& replies, std::ostream& reports) : m_replies(replies), m_reports(reports) {}

    // Sends one report and waits for its reply; true when the reply asks to stop.
    bool Report(int code, std::int64_t value);

private:
    std::istream& m_replies;
    std::ostream& m_reports;
    bool m_repliesEnded = false;
};

} // namespace zezozov
