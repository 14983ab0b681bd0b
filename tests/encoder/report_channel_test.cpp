#include "encoder/report_channel.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace zezozov;

TEST(ReportChannel, OneLineOutOneReplyIn) {
    struct Case {
        const char* replies;
        std::vector<bool> stops; // per report
    };
    const Case cases[] = {
        {"0\n1\n", {false, true}},
        {"1\n", {true, false}},                       // the second reply is missing: 0
        {"", {false, false, false}},                  // input closed from the start
        {" 1 \r\n0\r\n", {true, false}},              // blanks and CR around the digit
        {"2\nyes\n\n1", {false, false, false, true}}, // only "1" stops; the last line needs no line break
    };
    for (const auto& c : cases) {
        std::istringstream in(c.replies);
        std::ostringstream out;
        ReportChannel channel(in, out);
        std::string expected;
        for (size_t i = 0; i < c.stops.size(); ++i) {
            EXPECT_EQ(channel.Report(NOTIFY_POSITION, static_cast<int>(i)), c.stops[i])
                << "replies '" << c.replies << "', report " << i;
            expected += "6 " + std::to_string(i) + "\n";
        }
        EXPECT_EQ(out.str(), expected);
    }
}

TEST(ReportChannel, ReportsCarryCodeAndValue) {
    std::istringstream in;
    std::ostringstream out;
    ReportChannel channel(in, out);
    channel.Report(NOTIFY_DURATION, 5400);
    channel.Report(NOTIFY_WIDTH, 720);
    channel.Report(NOTIFY_HEIGHT, 576);
    channel.Report(NOTIFY_FRAME_RATE, 299700300);
    channel.Report(NOTIFY_DURATION, 0);
    EXPECT_EQ(out.str(), "1 5400\n2 720\n3 576\n4 299700300\n1 0\n");
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
