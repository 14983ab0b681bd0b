#include "encoder/option_parser.h"

#include <gtest/gtest.h>

#include "test_args.h"

using namespace zezozov;

// What each option means is checked through the FFmpeg command it gives (ffmpeg_command_test); here what only the
// reading decides.

// The paths are taken by position: whatever they look like, they are paths.
TEST(OptionParser, PathsThatLookLikeOptions) {
    const char* const names[][2] = {{"-o.avi", "-o.wmv"}, {"-o", "-vf"}, {"concat:a.avi", "http:x.avi"}, {"1", "0"}};
    for (const auto& n : names) {
        ParseResult r = ParseArguments({n[0], "-o", n[1], "-ovc", "lavc", "1", "7"});
        ASSERT_TRUE(r.ok()) << n[0] << ": " << r.error;
        EXPECT_EQ(std::tuple(r.job.inputPath, r.job.outputPath, r.job.mode, r.job.windowHandle),
                  std::tuple(n[0], n[1], RunMode::Probe, 7))
            << n[0];
    }
}

TEST(OptionParser, RejectsWhatTheConverterNeverWrites) {
    struct Case {
        const char* text;
        const char* error; // a part of the message
    };
    const Case cases[] = {
        {"in -o out -nosound 0 0", "unknown option -nosound"},
        {"in -o out -ofps 0 0", "-ofps: missing value"},
        {"in -o out stray word 0 0", "unexpected argument 'stray'"},
        {"in -o out -ovc lavc 2 0", "mode must be 0"},
        {"in -o out -ovc lavc 0 hwnd", "window handle"},
        {"in out -ovc lavc 0 0", "expected"},
        {"in -o out 0", "expected"},
        {"in -o out -oac pcm 0 0", "-oac: unsupported audio codec family 'pcm'"},
        {"in -o out -ovc x264 0 0", "-ovc: unsupported"},
        {"in -o out -lavcopts vcodec=h264 0 0", "unsupported vcodec 'h264'"},
        {"in -o out -lavcopts vbitrate=fast 0 0", "vbitrate needs a number"},
        {"in -o out -lavcopts trell 0 0", "-lavcopts: unknown sub-option 'trell'"},
        {"in -o out -lavcopts aspect=wide 0 0", "not an aspect"},
        {"in -o out -lameopts vbr=2:br=128 0 0", "vbr=2 is not supported"},
        {"in -o out -lameopts preset=standard 0 0", "-lameopts"},
        {"in -o out -xvidencopts pass=2 0 0", "-xvidencopts: unknown sub-option 'pass'"},
        {"in -o out -ffourcc XVID5 0 0", "four characters"},
        {"in -o out -of rawvideo 0 0", "-of: unsupported"},
        {"in -o out -lavfopts format=mkv 0 0", "unsupported format 'mkv'"},
        {"in -o out -mpegopts format=pes1 0 0", "unsupported format 'pes1'"},
        {"in -o out -sws 11 0 0", "-sws"},
        {"in -o out -af volume=loud:0 0 0", "not a gain"},
        {"in -o out -af volume=+0db:0:channels=9 0 0", "channels must be 1 to 8"},
        {"in -o out -af pan=1:0.5 0 0", "unsupported audio filter"},
        {"in -o out -srate -1 0 0", "-srate"},
        {"in -o out -ofps fast 0 0", "-ofps: not a frame rate"},
        {"in -o out -ofps 0/1 0 0", "-ofps: not a frame rate"},
        {"in -o out -vf crop=100:100 0 0", "unsupported video filter 'crop=100:100'"},
        {"in -o out -vf scale=-3:-3 0 0", "scale needs"},
        {"in -o out -vf scale=0:100 0 0", "scale needs"},
        {"in -o out -vf expand=720:576 0 0", "expand without scale"},
        {"in -o out -endpos soon 0 0", "-endpos: not a time"},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments(Args(c.text));
        EXPECT_FALSE(r.ok()) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << " gave: " << r.error;
    }
}

// Numbers out of range are refused with the option's name, never wrapped into another value (each of these
// once overflowed, and some reached FFmpeg as a different number or were dropped).
TEST(OptionParser, RefusesNumbersOutOfRange) {
    const std::pair<const char*, const char*> cases[] = {
        {"-lameopts vbr=3:br=80000128", "-lameopts"},
        {"-endpos 1e300", "-endpos"},
        {"-endpos 9:0577777777777777777777777777777777777777777777777777777777777777777777777770", "-endpos"},
        {"-endpos 1000001:0:0", "-endpos"},
        {"-ofps 500823.000091/23.0000900091", "-ofps"},
        {"-ofps 9223372036854775807/0.5", "-ofps"},
        {"-lavcopts aspect=99999999999/0.000000001", "-lavcopts"},
        {"-lavcopts vbitrate=9223372036854775807", "-lavcopts"},
        {"-xvidencopts bitrate=100000001", "-xvidencopts"},
        {"-srate 4294967297", "-srate"},
        {"-af volume=1e308db:0", "-af"},
        {"-vf scale=4294967936:480", "-vf"},
    };
    for (const auto& [options, option] : cases) {
        const ParseResult r = ParseArguments(Args(std::string("in.avi -o out.avi ") + options + " 0 1"));
        EXPECT_FALSE(r.ok()) << options;
        EXPECT_EQ(r.error.rfind(option, 0), 0u) << options << ": " << r.error;
    }
    // The edges that are still taken.
    const ParseResult edge = ParseArguments(
        Args("in.avi -o out.avi -endpos 1000000:0:0 -lavcopts abitrate=640:vbitrate=100000000 -ofps 1000 0 1"));
    ASSERT_TRUE(edge.ok()) << edge.error;
    EXPECT_EQ(edge.job.endSeconds, 3.6e9);
    EXPECT_EQ(edge.job.audio.bitrate, 640000);
}
