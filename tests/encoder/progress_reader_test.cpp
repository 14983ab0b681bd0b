#include "encoder/progress_reader.h"

#include <gtest/gtest.h>

using namespace zezozov;

namespace {

std::string Block(const std::string& us, const char* progress = "continue") {
    return "frame=1\nfps=0.0\nout_time_us=" + us + "\nout_time_ms=" + us +
           "\nout_time=00:00:00.000000\nspeed=N/A\nprogress=" + progress + "\n";
}

} // namespace

TEST(ProgressReader, ReportsEachWholeSecondOnceAndNeverBackwards) {
    // FFmpeg's time starts below 0 (audio priming) and can step back a second; neither is a new position.
    const std::pair<std::string, std::vector<int>> steps[] = {
        {Block("N/A"), {}},      {Block("-23220"), {0}}, {Block("999999"), {}},          {Block("1000000"), {1}},
        {Block("3960000"), {3}}, {Block("2000000"), {}}, {Block("5000000", "end"), {5}},
    };
    ProgressReader reader;
    for (const auto& [data, positions] : steps)
        EXPECT_EQ(reader.Feed(data), positions) << data;
    EXPECT_TRUE(reader.ended());
}

TEST(ProgressReader, LinesSplitAcrossReads) {
    ProgressReader reader;
    EXPECT_EQ(reader.Feed("out_time_u"), std::vector<int>{});
    EXPECT_EQ(reader.Feed("s=2500"), std::vector<int>{});
    EXPECT_EQ(reader.Feed("000\r\nout_time_ms=7000000\nprogress=cont"), (std::vector<int>{2, 7}));
    EXPECT_EQ(reader.Feed("inue\nout_time_us=bogus7\n"), std::vector<int>{});
    EXPECT_FALSE(reader.ended());
}

// FFmpeg 5.1 ends with status 0 after some of these: the line is the only sign that the output is not whole.
TEST(ProgressReader, WriteFailuresAreToldFromOtherErrors) {
    const std::pair<const char*, const char*> rows[] = {
        {"Error writing trailer of file:/o/a.avi: Input/output error", "Input/output error"},
        {"av_interleaved_write_frame(): No space left on device", "the disk is full"},
        {"Error closing file file:/o/a.avi: File too large", "File too large"},
        {"Error submitting a packet to the muxer: Disk quota exceeded", "the disk is full"},
        {"[mpeg4 @ 0x5581] ac-tex damaged at 2 3", ""},
        {"Error while decoding stream #0:0: Invalid data found when processing input", ""},
    };
    for (const auto& [line, reason] : rows)
        EXPECT_EQ(WriteFailure(line), reason) << line;
}
