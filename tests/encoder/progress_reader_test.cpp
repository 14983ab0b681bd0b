#include "encoder/progress_reader.h"

#include <gtest/gtest.h>

using namespace zezozov;

namespace {

const char* const kBlock = "frame=%d\nfps=0.0\nout_time_us=%s\nout_time_ms=%s\nout_time=00:00:00.000000\n"
                           "speed=N/A\nprogress=%s\n";

std::string Block(const char* us, const char* progress = "continue") {
    char text[256];
    std::snprintf(text, sizeof text, kBlock, 1, us, us, progress);
    return text;
}

} // namespace

TEST(ProgressReader, ReportsEachWholeSecondOnce) {
    struct Step {
        std::string data;
        std::vector<int> positions;
    };
    const std::vector<Step> steps = {
        {Block("N/A"), {}},
        {Block("-23220"), {0}},
        {Block("400000"), {}},
        {Block("999999"), {}},
        {Block("1000000"), {1}},
        {Block("3960000"), {3}},
        {Block("3000000"), {}}, // never backwards
        {Block("5000000", "end"), {5}},
    };
    ProgressReader reader;
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(reader.Feed(steps[i].data), steps[i].positions) << "step " << i;
    EXPECT_TRUE(reader.ended());
}

TEST(ProgressReader, LinesSplitAcrossReads) {
    ProgressReader reader;
    EXPECT_EQ(reader.Feed("out_time_u"), std::vector<int>{});
    EXPECT_EQ(reader.Feed("s=2500"), std::vector<int>{});
    EXPECT_EQ(reader.Feed("000\r\nout_time_ms=7000000\nprogress=cont"), (std::vector<int>{2, 7}));
    EXPECT_FALSE(reader.ended());
    EXPECT_EQ(reader.Feed("inue\nout_time_us=bogus7\n"), std::vector<int>{});
    EXPECT_FALSE(reader.ended());
}
