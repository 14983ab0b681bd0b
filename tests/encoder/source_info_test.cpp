#include "encoder/source_info.h"

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

using namespace zezozov;

// What the probe reports of a file's streams: the first video stream with a picture, the container's playing time
// (else the stream's) and the average frame rate (else the base rate).
TEST(SourceInfo, ChooseSource) {
    const StreamFacts audio{false, 0, 0, {0, 1}, {0, 1}, 9};
    const StreamFacts cover{true, 0, 0, {25, 1}, {25, 1}, 9, {2, 1}, 90};
    struct Row {
        const char* name;
        double duration;
        std::vector<StreamFacts> streams;
        const char* chosen; // seconds, size, rate, sample aspect, turn; "" for none
    };
    const Row rows[] = {
        {"audio first", 3, {audio, {true, 720, 576, {25, 1}, {50, 1}, 2, {64, 45}, 90}}, "3 720x576 25/1 64/45 90"},
        {"base rate, stream's time", 0, {{true, 64, 48, {0, 1}, {30000, 1001}, 2.5}}, "2.5 64x48 30000/1001 0/1 0"},
        {"a sizeless video stream first", 1, {cover, {true, 160, 120, {24000, 1001}}}, "1 160x120 24000/1001 0/1 0"},
        {"audio only", 2, {audio}, ""},
        {"no picture height", 2, {{true, 160, 0, {25, 1}}}, ""},
    };
    for (const Row& row : rows) {
        const auto info = ChooseSource({row.duration, row.streams});
        std::ostringstream chosen;
        if (info)
            chosen << info->duration << " " << info->width << "x" << info->height << " " << info->frameRate.num << "/"
                   << info->frameRate.den << " " << info->sampleAspect.num << "/" << info->sampleAspect.den << " "
                   << info->rotation;
        EXPECT_EQ(chosen.str(), row.chosen) << row.name;
    }
}

TEST(SourceInfo, DurationInWholeSeconds) {
    const std::pair<double, int> cases[] = {{3.49, 3}, {3.5, 4},          {0.3, 1},
                                            {0, 0},    {std::nan(""), 0}, {1e12, 2147483647}};
    for (const auto& [seconds, report] : cases)
        EXPECT_EQ(DurationReport(seconds), report) << seconds;
}

TEST(SourceInfo, FrameRateTimesTenMillion) {
    const std::pair<Ratio, int> cases[] = {{{30000, 1001}, 299700300},
                                           {{60000, 1001}, 599400599},
                                           {{2997, 100}, 299700000},
                                           {{1000, 1}, 2147483647},
                                           {{0, 0}, 0},
                                           {{25, 0}, 0}};
    for (const auto& [rate, report] : cases)
        EXPECT_EQ(FrameRateReport(rate), report) << rate.num << "/" << rate.den;
}

TEST(SourceInfo, ShownSizeFollowsSampleAspectAndTurn) {
    struct Case {
        int width, height;
        Ratio sampleAspect;
        int rotation;
        std::pair<int, int> shown;
    };
    const Case cases[] = {
        {720, 576, {64, 45}, 0, {1024, 576}},  // PAL 16:9 DVD
        {720, 480, {8, 9}, 0, {640, 480}},     // NTSC 4:3 DVD: narrower than stored
        {175, 143, {12, 11}, 0, {190, 143}},   // 190.9 rounds to an even 190
        {175, 143, {2, 2}, 0, {175, 143}},     // square pixels keep an odd size
        {320, 240, {0, 1}, 0, {320, 240}},     // unknown sample aspect: square
        {4, 2, {1, 4}, 0, {2, 2}},             // never below 2
        {640, 360, {1, 1}, 270, {360, 640}},   // phone video
        {640, 360, {0, 1}, 180, {640, 360}},   // upside down keeps its shape
        {720, 576, {64, 45}, 90, {576, 1024}}, // scaled as stored, then turned
    };
    for (const auto& c : cases) {
        SourceInfo info{0, c.width, c.height, {}, c.sampleAspect, c.rotation};
        EXPECT_EQ(ShownSize(info), c.shown) << c.width << "x" << c.height << " turned " << c.rotation;
    }
}

TEST(SourceInfo, TurnsOnlyByRightAngles) {
    // In av_display_rotation_get's terms: counter-clockwise degrees, as stored in the display matrix.
    const std::pair<double, int> cases[] = {{-90, 90}, {90, 270},   {180, 180},       {-180, 180},
                                            {0, 0},    {-89.7, 90}, {-89.4, 0},       {269.6, 90},
                                            {45, 0},   {-450, 90},  {std::nan(""), 0}};
    for (const auto& [degrees, turn] : cases)
        EXPECT_EQ(RightAngleTurn(degrees), turn) << degrees;
}
