#include "encoder/report_channel.h"

#include <sstream>

#include <gtest/gtest.h>

using namespace zezozov;

TEST(ReportChannel, OneLineOutOneReplyIn) {
    struct Row {
        const char* replies;
        std::vector<bool> stops; // per report
    };
    const Row rows[] = {
        {"0\n1\n", {false, true}},
        {"0\n", {false, true, true}},                 // the replies end (the program is gone): a stop, from then on
        {"", {true}},                                 // input closed from the start
        {" 1 \r\n0\r\n", {true, false}},              // blanks and CR around the digit
        {"2\nyes\n\n1", {false, false, false, true}}, // only "1" stops; the last line needs no line break
    };
    for (const Row& row : rows) {
        std::istringstream in(row.replies);
        std::ostringstream out;
        ReportChannel channel(in, out);
        std::string expected;
        for (unsigned i = 0; i < row.stops.size(); ++i) {
            EXPECT_EQ(channel.Report(int(NOTIFY_DURATION + i), 2997 * i), row.stops[i])
                << row.replies << ", report " << i;
            expected += std::to_string(NOTIFY_DURATION + i) + " " + std::to_string(2997 * i) + "\n";
        }
        EXPECT_EQ(out.str(), expected) << row.replies;
    }
}

// A reply line longer than the protocol allows is a stop, and the channel stays broken: it reads no further.
TEST(ReportChannel, OverlongReplyBreaksTheProtocol) {
    std::istringstream in(std::string(5000, '0') + "\n0\n");
    std::ostringstream out;
    ReportChannel channel(in, out);
    EXPECT_TRUE(channel.Report(NOTIFY_POSITION, 1));
    EXPECT_TRUE(channel.Broken());
    EXPECT_TRUE(channel.Report(NOTIFY_POSITION, 2));

    std::istringstream justFits(std::string(kMaxReportLine - 2, ' ') + "1\n");
    ReportChannel fits(justFits, out);
    EXPECT_TRUE(fits.Report(NOTIFY_POSITION, 3));
    EXPECT_FALSE(fits.Broken());
}
