#include "encoder/option_parser.h"

#include <sstream>

#include <gtest/gtest.h>

#include "test_args.h"

using namespace zezozov;

namespace {

std::string Text(Ratio r) {
    return std::to_string(r.num) + "/" + std::to_string(r.den);
}

// The job field by field as "name=value" words, so that a test can name just the fields it is about.
std::string Describe(const EncodeJob& j) {
    const char* containers[] = {"unset", "avi", "mpeg", "asf", "vcd", "svcd", "dvd", "vob"};
    const char* rates[] = {"source", "constant", "keep"};
    const VideoJob& v = j.video;
    const AudioJob& a = j.audio;
    std::ostringstream s;
    s << "in=" << j.inputPath << " out=" << j.outputPath << " mode=" << int(j.mode) << " window=" << j.windowHandle
      << " vcodec=" << v.encoder << " vbitrate=" << v.bitrate << " vhq=" << v.rdDecision << " vqmin=" << v.qmin
      << " vqmax=" << v.qmax << " keyint=" << v.gopSize << " buffer=" << v.bufferSize << " minrate=" << v.minRate
      << " maxrate=" << v.maxRate << " vqscale=" << v.fixedQuantiser
      << " aspect=" << (v.displayAspect ? Text(*v.displayAspect) : "-") << " autoaspect=" << v.keepAspect
      << " fourcc=" << v.fourcc << " acodec=" << a.encoder << " abitrate=" << a.bitrate << " abr=" << a.averageBitrate
      << " mono=" << a.lameMono << " channels=" << a.channels << " srate=" << a.sampleRate << " gain=" << a.gainDb
      << " container=" << containers[int(j.container)] << " sws=" << j.scaler << " ofps=" << rates[j.frameRate.kind]
      << ":" << Text(j.frameRate.rate) << " scale=";
    if (j.scale)
        s << j.scale->width << ":" << j.scale->height << ":" << j.scale->padWidth << ":" << j.scale->padHeight
          << (j.scale->duplicateFrames ? ":harddup" : "");
    else
        s << "-";
    s << " endpos=" << j.endSeconds;
    return s.str();
}

} // namespace

TEST(OptionParser, ReadsTheAviText) {
    const ParseResult r = ParseArguments(
        Args("in.mpg -o out.avi -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
             "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts "
             "i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 "
             "-ofps 25.000000 -endpos 9:0:0 0 3146290"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(Describe(r.job),
              "in=in.mpg out=out.avi mode=0 window=3146290 vcodec=mpeg4 vbitrate=1000000 vhq=1 vqmin=1 vqmax=31 "
              "keyint=0 buffer=0 minrate=0 maxrate=0 vqscale=0 aspect=- autoaspect=1 fourcc=DX50 acodec=libmp3lame "
              "abitrate=128000 abr=1 mono=1 channels=2 srate=0 gain=0 container=avi sws=bicubic ofps=constant:25/1 "
              "scale=- endpos=32400");
}

// Each row: options after "in -o out", and fields of the job they must give.
TEST(OptionParser, ReadsEachOption) {
    const std::pair<const char*, const char*> rows[] = {
        // Codecs and containers.
        {"-oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=96:vcodec=mpeg4 -of lavf",
         "vcodec=mpeg4 acodec=ac3 abitrate=96000 container=avi"},
        {"-oac mp3lame -ovc xvid -xvidencopts bitrate=1000:autoaspect=1",
         "vcodec=libxvid vbitrate=1000000 autoaspect=1 acodec=libmp3lame container=unset"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:acodec=mp2 -of lavf -lavfopts format=mpg",
         "vcodec=mpeg1video acodec=mp2 container=mpeg"},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg1video -mpegopts format=xvcd", "acodec=mp2 container=vcd"},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video -mpegopts format=xsvcd",
         "vcodec=mpeg2video container=svcd"},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:acodec=ac3 -mpegopts format=dvd",
         "acodec=ac3 container=dvd"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1 -of lavf -lavfopts format=wmv",
         "vcodec=wmv2 acodec=wmav1 container=asf"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav2 -of lavf -lavfopts format=asf",
         "vcodec=msmpeg4 acodec=wmav2 container=asf"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2 -of mpeg", "vcodec=msmpeg4v2 acodec=mp2 container=mpeg"},
        {"-ovc lavc", "vcodec=mpeg4 acodec= container=unset"},
        // Rate control; a bit rate above 16000 is already in bit/s.
        {"-ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:"
         "vrc_maxrate=1152:aspect=16/9",
         "keyint=18 buffer=327000 minrate=1152000 maxrate=1152000 vbitrate=1152000 aspect=16/9"},
        {"-ovc lavc -lavcopts vcodec=wmv2:vqscale=19:vbitrate=20000:aspect=2.21/1",
         "vqscale=19 vbitrate=20000 aspect=221/100"},
        // Frame rates: NTSC fractions kept exact, 1000 keeps the source's timestamps.
        {"-ofps 25.000000", "ofps=constant:25/1"},
        {"-ofps 30000/1001", "ofps=constant:30000/1001"},
        {"-ofps 29.970030", "ofps=constant:2997003/100000"},
        {"-ofps 14.985000", "ofps=constant:2997/200"},
        {"-ofps 1000.000000", "ofps=keep:1000/1"},
        // Video filters.
        {"-vf scale=-3:576,harddup,expand=720:576", "scale=-3:576:720:576:harddup"},
        {"-vf scale=640:-3,harddup,expand=640:480", "scale=640:-3:640:480:harddup"},
        {"-vf scale=320:240", "scale=320:240:0:0"},
        // Audio filters and sample rate; -srate is the output's rate.
        {"-af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100", "gain=-8 channels=6 srate=44100"},
        {"-af volume=+20db:0:lavcresample=48000 -srate 48000", "gain=20 channels=0 srate=48000"},
        {"-af volume=+5db:0:lavcresample=48000", "gain=5 srate=48000"},
        {"-af volume=+0db:0:lavcresample=48000 -srate 44100", "srate=44100"},
        {"-af volume=-20db:0,channels=1", "gain=-20 channels=1 srate=0"},
        {"-srate 22050", "srate=22050"},
        // End positions.
        {"-endpos 1:30", "endpos=90"},
        {"-endpos 12.5", "endpos=12.5"},
        {"-endpos 0:0:1", "endpos=1"},
    };
    for (const auto& [options, fields] : rows) {
        const ParseResult r = ParseArguments(Args(std::string("in -o out ") + options + " 0 0"));
        ASSERT_TRUE(r.ok()) << options << ": " << r.error;
        const std::string job = " " + Describe(r.job) + " ";
        for (const std::string& field : Args(fields))
            EXPECT_NE(job.find(" " + field + " "), std::string::npos) << options << ": no " << field << " in" << job;
    }
}

// The paths are taken by position: whatever they look like, they are paths.
TEST(OptionParser, PathsThatLookLikeOptions) {
    const char* const names[][2] = {{"-o.avi", "-o.wmv"}, {"-o", "-vf"}, {"concat:a.avi", "http:x.avi"}, {"1", "0"}};
    for (const auto& n : names) {
        ParseResult r = ParseArguments({n[0], "-o", n[1], "-ovc", "lavc", "1", "7"});
        ASSERT_TRUE(r.ok()) << n[0] << ": " << r.error;
        EXPECT_EQ(Describe(r.job).substr(0, Describe(r.job).find(" vcodec")),
                  std::string("in=") + n[0] + " out=" + n[1] + " mode=1 window=7");
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
