#include "encoder/source_info.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace zezozov;

TEST(SourceInfo, ReadsFfprobeCompactOutput) {
    struct Case {
        const char* name;
        const char* text;
        bool video;
        double duration;
        int width, height;
        Ratio rate;
    };
    const Case cases[] = {
        {"avi with audio",
         "stream|codec_type=video|width=320|height=240|sample_aspect_ratio=1:1|r_frame_rate=25/1|avg_frame_rate=25/1|"
         "duration=3.000000\nstream|codec_type=audio|r_frame_rate=0/0|avg_frame_rate=0/0|duration=3.000000\n"
         "format|duration=3.000000\n",
         true,
         3.0,
         320,
         240,
         {25, 1}},
        {"anamorphic, audio first, CRLF",
         "stream|codec_type=audio|duration=N/A\r\nstream|codec_type=video|width=720|height=576|"
         "sample_aspect_ratio=64:45|r_frame_rate=50/1|avg_frame_rate=25/1|duration=N/A\r\nformat|duration=12.5\r\n",
         true,
         12.5,
         720,
         576,
         {25, 1}},
        {"no average rate, duration only on the stream",
         "stream|codec_type=video|width=640|height=480|sample_aspect_ratio=0:1|r_frame_rate=30000/1001|"
         "avg_frame_rate=0/0|duration=2.002000\nformat|duration=N/A\n",
         true,
         2.002,
         640,
         480,
         {30000, 1001}},
        {"a sizeless video stream before the picture",
         "stream|codec_type=video|width=0|height=0|avg_frame_rate=0/0\nstream|codec_type=video|width=160|"
         "height=120|sample_aspect_ratio=N/A|avg_frame_rate=24000/1001\nformat|duration=1.0\n",
         true,
         1.0,
         160,
         120,
         {24000, 1001}},
        {"audio only", "stream|codec_type=audio|duration=2.0\nformat|duration=2.0\n", false, 0, 0, 0, {}},
        {"nothing", "", false, 0, 0, 0, {}},
    };
    for (const auto& c : cases) {
        auto info = ParseProbeOutput(c.text);
        ASSERT_EQ(info.has_value(), c.video) << c.name;
        if (!info)
            continue;
        EXPECT_DOUBLE_EQ(info->duration, c.duration) << c.name;
        EXPECT_EQ(info->width, c.width) << c.name;
        EXPECT_EQ(info->height, c.height) << c.name;
        EXPECT_EQ(info->frameRate, c.rate) << c.name;
    }
}

TEST(SourceInfo, DurationInWholeSeconds) {
    const std::pair<double, int> cases[] = {{3.0, 3},          {2.96, 3},      {3.04, 3},         {3.49, 3},
                                            {3.5, 4},          {0.3, 1},       {0.0, 0},          {-1, 0},
                                            {std::nan(""), 0}, {5400.2, 5400}, {1e12, 2147483647}};
    for (const auto& [seconds, report] : cases)
        EXPECT_EQ(DurationReport(seconds), report) << seconds;
}

TEST(SourceInfo, FrameRateTimesTenMillion) {
    const std::pair<Ratio, int> cases[] = {
        {{25, 1}, 250000000},
        {{30000, 1001}, 299700300},
        {{24000, 1001}, 239760240},
        {{15000, 1001}, 149850150},
        {{60000, 1001}, 599400599},
        {{2997, 100}, 299700000},
        {{1000, 1}, 2147483647},
        {{0, 0}, 0},
        {{25, 0}, 0},
        {{1, 3}, 3333333},
        {{2, 3}, 6666667},
    };
    for (const auto& [rate, report] : cases)
        EXPECT_EQ(FrameRateReport(rate), report) << rate.num << "/" << rate.den;
}

TEST(SourceInfo, PathsReachFfmpegAsFiles) {
    EXPECT_EQ(FfmpegPath("-i concat:x.avi"), "file:-i concat:x.avi");
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
        {720, 576, {16, 15}, 0, {768, 576}},   // PAL 4:3 DVD
        {720, 480, {8, 9}, 0, {640, 480}},     // NTSC 4:3 DVD: narrower than stored
        {175, 143, {12, 11}, 0, {190, 143}},   // 190.9 rounds to an even 190
        {175, 143, {1, 1}, 0, {175, 143}},     // square pixels keep an odd size
        {175, 143, {2, 2}, 0, {175, 143}},     //
        {320, 240, {0, 1}, 0, {320, 240}},     // unknown sample aspect: square
        {4, 2, {1, 4}, 0, {2, 2}},             // never below 2
        {640, 360, {0, 1}, 90, {360, 640}},    // phone video
        {640, 360, {1, 1}, 270, {360, 640}},   //
        {640, 360, {1, 1}, 180, {640, 360}},   // upside down keeps its shape
        {720, 576, {64, 45}, 90, {576, 1024}}, // scaled as stored, then turned
    };
    for (const auto& c : cases) {
        SourceInfo info;
        info.width = c.width;
        info.height = c.height;
        info.sampleAspect = c.sampleAspect;
        info.rotation = c.rotation;
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
