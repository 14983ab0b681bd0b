#include "encoder/option_parser.h"

#include <gtest/gtest.h>

#include "test_args.h"

using namespace zezozov;

TEST(OptionParser, ReadsTheAviText) {
    ParseResult r = ParseArguments(Args(kAviText));
    ASSERT_TRUE(r.ok()) << r.error;
    const EncodeJob& j = r.job;
    EXPECT_EQ(j.inputPath, "in.mpg");
    EXPECT_EQ(j.outputPath, "out.avi");
    EXPECT_EQ(j.mode, RunMode::Convert);
    EXPECT_EQ(j.windowHandle, 3146290);
    EXPECT_EQ(j.video.encoder, "mpeg4");
    EXPECT_EQ(j.video.bitrate, 1000000);
    EXPECT_TRUE(j.video.rdDecision);
    EXPECT_EQ(j.video.qmin, 1);
    EXPECT_EQ(j.video.qmax, 31);
    EXPECT_TRUE(j.video.keepAspect);
    EXPECT_EQ(j.video.fourcc, "DX50");
    EXPECT_EQ(j.audio.encoder, "libmp3lame");
    EXPECT_EQ(j.audio.bitrate, 128000);
    EXPECT_TRUE(j.audio.averageBitrate);
    EXPECT_TRUE(j.audio.lameMono);
    EXPECT_EQ(j.audio.channels, 2);
    EXPECT_EQ(j.audio.gainDb, 0);
    EXPECT_EQ(j.container, Container::Avi);
    EXPECT_EQ(j.scaler, "bicubic");
    EXPECT_EQ(j.frameRate.kind, FrameRateJob::Constant);
    EXPECT_EQ(j.frameRate.rate, (Ratio{25, 1}));
    EXPECT_FALSE(j.scale.has_value());
    EXPECT_EQ(j.endSeconds, 32400);
}

// The paths are taken by position: whatever they look like, they are paths.
TEST(OptionParser, PathsThatLookLikeOptions) {
    const char* const names[][2] = {{"-o.avi", "-o.wmv"}, {"-o", "-vf"}, {"concat:a.avi", "http:x.avi"}, {"1", "0"}};
    for (const auto& n : names) {
        ParseResult r = ParseArguments({n[0], "-o", n[1], "-ovc", "lavc", "1", "7"});
        ASSERT_TRUE(r.ok()) << n[0] << ": " << r.error;
        EXPECT_EQ(r.job.inputPath, n[0]);
        EXPECT_EQ(r.job.outputPath, n[1]);
        EXPECT_EQ(r.job.mode, RunMode::Probe);
    }
}

TEST(OptionParser, CodecsContainersAndRates) {
    struct Case {
        const char* options;
        const char* video;
        const char* audio;
        Container container;
    };
    const Case cases[] = {
        {"-oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=96:vcodec=mpeg4 -of lavf", "mpeg4", "ac3", Container::Avi},
        {"-oac mp3lame -ovc xvid -xvidencopts bitrate=1000:autoaspect=1", "libxvid", "libmp3lame", Container::Unset},
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:acodec=mp2 -of lavf -lavfopts format=mpg", "mpeg1video",
         "mp2", Container::Mpeg},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video -mpegopts format=xvcd", "mpeg1video", "mp2",
         Container::Vcd},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video -mpegopts format=xsvcd", "mpeg2video", "mp2",
         Container::Svcd},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:acodec=ac3 -mpegopts format=dvd", "mpeg2video",
         "ac3", Container::Dvd},
        {"-oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1 -of lavf -lavfopts format=wmv", "wmv2", "wmav1",
         Container::Asf},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav2 -of lavf -lavfopts format=asf", "msmpeg4", "wmav2",
         Container::Asf},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2 -of mpeg", "msmpeg4v2", "mp2", Container::Mpeg},
        {"-ovc lavc", "mpeg4", "", Container::Unset},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments(Args(std::string("in -o out ") + c.options + " 0 0"));
        ASSERT_TRUE(r.ok()) << c.options << ": " << r.error;
        EXPECT_EQ(r.job.video.encoder, c.video) << c.options;
        EXPECT_EQ(r.job.audio.encoder, c.audio) << c.options;
        EXPECT_EQ(r.job.container, c.container) << c.options;
    }
}

TEST(OptionParser, RateControl) {
    ParseResult r = ParseArguments(
        Args("in -o out -ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:"
             "vbitrate=1152:vrc_maxrate=1152:aspect=16/9 0 0"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.job.video.gopSize, 18);
    EXPECT_EQ(r.job.video.bufferSize, 327000);
    EXPECT_EQ(r.job.video.minRate, 1152000);
    EXPECT_EQ(r.job.video.maxRate, 1152000);
    EXPECT_EQ(r.job.video.bitrate, 1152000);
    EXPECT_EQ(r.job.video.displayAspect, (Ratio{16, 9}));

    r = ParseArguments(Args("in -o out -ovc lavc -lavcopts vcodec=wmv2:vqscale=19:vbitrate=20000:aspect=2.21/1 0 0"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.job.video.fixedQuantiser, 19);
    EXPECT_EQ(r.job.video.bitrate, 20000); // above 16000: already bit/s
    EXPECT_EQ(r.job.video.displayAspect, (Ratio{221, 100}));
}

TEST(OptionParser, FrameRates) {
    struct Case {
        const char* text;
        FrameRateJob::Kind kind;
        Ratio rate;
    };
    const Case cases[] = {
        {"25.000000", FrameRateJob::Constant, {25, 1}},           {"30000/1001", FrameRateJob::Constant, {30000, 1001}},
        {"24000/1001", FrameRateJob::Constant, {24000, 1001}},    {"15000/1001", FrameRateJob::Constant, {15000, 1001}},
        {"29.970030", FrameRateJob::Constant, {2997003, 100000}}, {"14.985000", FrameRateJob::Constant, {2997, 200}},
        {"1000.000000", FrameRateJob::KeepTimestamps, {1000, 1}},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments({"in", "-o", "out", "-ofps", c.text, "0", "0"});
        ASSERT_TRUE(r.ok()) << c.text << ": " << r.error;
        EXPECT_EQ(r.job.frameRate.kind, c.kind) << c.text;
        EXPECT_EQ(r.job.frameRate.rate, c.rate) << c.text;
    }
}

TEST(OptionParser, VideoFilters) {
    struct Case {
        const char* text;
        ScaleJob scale;
    };
    const Case cases[] = {
        {"scale=-3:576,harddup,expand=720:576", {-3, 576, 720, 576, true}},
        {"scale=640:-3,harddup,expand=640:480", {640, -3, 640, 480, true}},
        {"scale=352:288,harddup", {352, 288, 0, 0, true}},
        {"scale=320:240", {320, 240, 0, 0, false}},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments({"in", "-o", "out", "-vf", c.text, "0", "0"});
        ASSERT_TRUE(r.ok()) << c.text << ": " << r.error;
        ASSERT_TRUE(r.job.scale.has_value()) << c.text;
        const ScaleJob& s = *r.job.scale;
        EXPECT_EQ(s.width, c.scale.width) << c.text;
        EXPECT_EQ(s.height, c.scale.height) << c.text;
        EXPECT_EQ(s.padWidth, c.scale.padWidth) << c.text;
        EXPECT_EQ(s.padHeight, c.scale.padHeight) << c.text;
        EXPECT_EQ(s.duplicateFrames, c.scale.duplicateFrames) << c.text;
    }
}

TEST(OptionParser, AudioFiltersAndSampleRate) {
    struct Case {
        const char* options;
        double gain;
        int channels;
        int rate;
    };
    const Case cases[] = {
        {"-af volume=+0db:0:channels=2", 0, 2, 0},
        {"-af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100", -8, 6, 44100},
        {"-af volume=+20db:0:lavcresample=48000 -srate 48000", 20, 0, 48000},
        {"-af volume=+5db:0:lavcresample=48000", 5, 0, 48000},
        {"-af volume=+0db:0:lavcresample=48000 -srate 44100", 0, 0, 44100}, // -srate is the output's rate
        {"-af volume=-20db:0,channels=1", -20, 1, 0},
        {"-srate 22050", 0, 0, 22050},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments(Args(std::string("in -o out ") + c.options + " 0 0"));
        ASSERT_TRUE(r.ok()) << c.options << ": " << r.error;
        EXPECT_EQ(r.job.audio.gainDb, c.gain) << c.options;
        EXPECT_EQ(r.job.audio.channels, c.channels) << c.options;
        EXPECT_EQ(r.job.audio.sampleRate, c.rate) << c.options;
    }
}

TEST(OptionParser, EndPositions) {
    const std::pair<const char*, double> cases[] = {{"9:0:0", 32400}, {"1:30", 90}, {"12.5", 12.5}, {"0:0:1", 1}};
    for (const auto& [text, seconds] : cases) {
        ParseResult r = ParseArguments({"in", "-o", "out", "-endpos", text, "0", "0"});
        ASSERT_TRUE(r.ok()) << text << ": " << r.error;
        EXPECT_EQ(r.job.endSeconds, seconds) << text;
    }
}

TEST(OptionParser, RejectsWhatTheConverterNeverWrites) {
    struct Case {
        const char* text;
        const char* error; // a part of the message
    };
    const Case cases[] = {
        {"in -o out -nosound 0 0", "unknown option -nosound"},
        {"in -o out -ovc lavc -nosound x 0 0", "unknown option -nosound"},
        {"in -o out -ofps 0 0", "-ofps: missing value"},
        {"in -o out stray word 0 0", "unexpected argument 'stray'"},
        {"in -o out -ovc lavc 2 0", "mode must be 0"},
        {"in -o out -ovc lavc 0 hwnd", "window handle"},
        {"in out -ovc lavc 0 0", "expected"},
        {"in -o out 0", "expected"},
        {"in -o out -oac pcm 0 0", "-oac: unsupported audio codec family 'pcm'"},
        {"in -o out -ovc x264 0 0", "-ovc: unsupported"},
        {"in -o out -lavcopts vcodec=h264 0 0", "unsupported vcodec 'h264'"},
        {"in -o out -lavcopts acodec=aac 0 0", "unsupported acodec 'aac'"},
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
        {"-lameopts br=2280000", "-lameopts"},
        {"-endpos 1e300", "-endpos"},
        {"-endpos 9:0577777777777777777777777777777777777777777777777777777777777777777777777770", "-endpos"},
        {"-endpos 1000001:0:0", "-endpos"},
        {"-ofps 500823.000091/23.0000900091", "-ofps"},
        {"-ofps 9223372036854775807/0.5", "-ofps"},
        {"-lavcopts aspect=99999999999/0.000000001", "-lavcopts"},
        {"-lavcopts vbitrate=9223372036854775807", "-lavcopts"},
        {"-lavcopts abitrate=9223372036854775", "-lavcopts"},
        {"-lavcopts vrc_buf_size=9223372036854775", "-lavcopts"},
        {"-lavcopts vqmax=4294967297", "-lavcopts"},
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
