#include "encoder/ffmpeg_command.h"

#include <gtest/gtest.h>

#include "encoder/option_parser.h"
#include "test_args.h"

using namespace zezozov;

namespace {

SourceInfo Source(int width, int height, Ratio sar = {1, 1}, bool audio = true) {
    SourceInfo s;
    s.duration = 3;
    s.width = width;
    s.height = height;
    s.sampleAspect = sar;
    s.frameRate = {25, 1};
    s.hasAudio = audio;
    return s;
}

std::vector<std::string> Command(const std::string& text, const SourceInfo& source = Source(640, 480)) {
    ParseResult r = ParseArguments(Args(text));
    EXPECT_TRUE(r.ok()) << text << ": " << r.error;
    return FfmpegArguments(r.job, source, "part.avi");
}

} // namespace

TEST(FfmpegCommand, TheAviTextWhole) {
    const std::vector<std::string> expected = {
        "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",   "-progress", "pipe:1", "-nostats",
        "-y",     "-i",       "file:in.mpg",  "-map",      "0:v:0",   "-map",      "0:a:0",  "-c:v",
        "mpeg4",  "-b:v",     "1000000",      "-mbd",      "rd",      "-qmin",     "1",      "-qmax",
        "31",     "-tag:v",   "DX50",         "-pix_fmt",  "yuv420p", "-r",        "25/1",   "-fps_mode",
        "cfr",    "-c:a",     "libmp3lame",   "-b:a",      "128000",  "-abr",      "1",      "-ac",
        "2",      "-sn",      "-dn",          "-t",        "32400",   "-f",        "avi",    "file:part.avi"};
    EXPECT_EQ(Command(kAviText), expected);
}

// Each row: a parameter text (after "in -o out"), option pairs the command must hold, and options it must not.
TEST(FfmpegCommand, OptionMapping) {
    struct Case {
        const char* options;
        std::vector<std::pair<std::string, std::string>> pairs;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        // MP3: the audio filter's two channels win over lame's mono mode; without them mode=3 means mono.
        {"-oac mp3lame -ovc lavc -lameopts vbr=3:br=96:mode=3 -af volume=+0db:0:channels=2",
         {{"-ac", "2"}, {"-abr", "1"}, {"-b:a", "96000"}},
         {"-ar", "-af"}},
        {"-oac mp3lame -ovc lavc -lameopts vbr=0:br=96:mode=3", {{"-ac", "1"}}, {"-abr"}},
        {"-oac mp3lame -ovc lavc -lameopts br=96:mode=0", {}, {"-ac"}},
        // AC3 from a stereo source: upmixed to six channels.
        {"-oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=192 -xvidencopts bitrate=1000:autoaspect=1 "
         "-af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100",
         {{"-c:v", "libxvid"},
          {"-b:v", "1000000"},
          {"-c:a", "ac3"},
          {"-ac", "6"},
          {"-ar", "44100"},
          {"-af", "volume=-8dB"}},
         {"-tag:v", "-mbd"}},
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:"
         "vrc_maxrate=1152:acodec=mp2:abitrate=224:autoaspect=1:aspect=4/3 -of mpeg -mpegopts format=xvcd "
         "-ofps 24000/1001",
         {{"-c:v", "mpeg1video"},
          {"-g", "18"},
          {"-bufsize", "327000"},
          {"-minrate", "1152000"},
          {"-maxrate", "1152000"},
          {"-aspect", "4:3"},
          {"-r", "24000/1001"},
          {"-fps_mode", "cfr"},
          {"-f", "vcd"},
          {"-packetsize", "2324"},
          {"-muxrate", "1411200"},
          {"-c:a", "mp2"}},
         {"-scan_offset"}},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=917:vrc_minrate=600:"
         "vrc_maxrate=1650:vbitrate=800:acodec=mp2:abitrate=128:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd",
         {{"-f", "svcd"},
          {"-scan_offset", "1"},
          {"-maxrate", "1650000"},
          {"-minrate", "600000"},
          {"-g", "15"},
          {"-aspect", "16:9"}},
         {"-muxrate"}},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:acodec=ac3:aspect=16/9 -mpegopts format=dvd "
         "-af volume=+0db:0:lavcresample=48000 -srate 48000",
         {{"-f", "dvd"}, {"-packetsize", "2048"}, {"-ar", "48000"}, {"-c:a", "ac3"}},
         {"-ac"}},
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:aspect=2.21/1 -of lavf -lavfopts format=mpg",
         {{"-aspect", "221:100"}, {"-f", "mpeg"}},
         {}},
        // Windows Media: a fixed quantiser instead of a bit rate, and the source's timestamps kept.
        {"-oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1:vqscale=19:abitrate=128:autoaspect=1 "
         "-of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -ofps 1000.000000",
         {{"-c:v", "wmv2"}, {"-q:v", "19"}, {"-c:a", "wmav1"}, {"-f", "asf"}, {"-fps_mode", "passthrough"}},
         {"-r", "-b:v"}},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav2 -of lavf -lavfopts format=asf",
         {{"-c:v", "msmpeg4"}, {"-c:a", "wmav2"}, {"-f", "asf"}},
         {"-fps_mode"}},
        {"-ovc lavc -lavcopts vcodec=msmpeg4v2 -ofps 30000/1001",
         {{"-c:v", "msmpeg4v2"}, {"-r", "30000/1001"}},
         {"-f", "-t"}},
        {"-ovc lavc -ofps 29.970030", {{"-r", "2997003/100000"}}, {}},
        {"-ovc lavc -endpos 1:30", {{"-t", "90"}}, {}},
        // Without -oac there is no audio at all.
        {"-ovc lavc", {}, {"-c:a"}},
    };
    for (const auto& c : cases) {
        auto args = Command(std::string("in -o out ") + c.options + " 0 0");
        for (const auto& [option, value] : c.pairs)
            EXPECT_TRUE(HasPair(args, option, value)) << c.options << ": no " << option << " " << value;
        for (const auto& option : c.absent)
            EXPECT_FALSE(Has(args, option)) << c.options << ": has " << option;
        EXPECT_NE(Has(args, "-c:a"), Has(args, "-an")) << c.options;
    }
}

TEST(FfmpegCommand, SourceWithoutAudioMapsVideoOnly) {
    auto args = Command(kAviText, Source(320, 240, {1, 1}, false));
    EXPECT_FALSE(HasPair(args, "-map", "0:a:0"));
    EXPECT_FALSE(Has(args, "-c:a"));
    EXPECT_TRUE(Has(args, "-an"));
    EXPECT_TRUE(HasPair(args, "-map", "0:v:0"));
}

TEST(FfmpegCommand, PathsAlwaysGoThroughTheFileProtocol) {
    for (const char* name : {"-o.avi", "concat:a.avi|b.avi", "http:x.avi", "a b ü.avi", "/abs/-i"}) {
        ParseResult r = ParseArguments({name, "-o", name, "-ovc", "lavc", "0", "0"});
        ASSERT_TRUE(r.ok()) << r.error;
        auto args = FfmpegArguments(r.job, Source(64, 48), TemporaryOutputPath(name));
        EXPECT_TRUE(HasPair(args, "-i", std::string("file:") + name)) << name;
        EXPECT_EQ(args.back(), "file:" + TemporaryOutputPath(name)) << name;
        EXPECT_FALSE(Has(args, name)) << name << " appears bare";
    }
}

TEST(FfmpegCommand, VideoFilterChains) {
    struct Case {
        const char* vf;
        SourceInfo source;
        const char* chain;
    };
    const Case cases[] = {
        {"scale=720:-3,harddup,expand=720:576", Source(640, 480),
         "scale=720:540:flags=bicubic,setsar=1,pad=720:576:(ow-iw)/2:(oh-ih)/2"},
        // Square-pixel sources give the same size either way; an anamorphic one keeps its display aspect.
        {"scale=-3:576,harddup,expand=720:576", Source(480, 576),
         "scale=480:576:flags=bicubic,setsar=1,pad=720:576:(ow-iw)/2:(oh-ih)/2"},
        {"scale=-3:480,harddup,expand=720:480", Source(480, 480, {4, 3}),
         "scale=640:480:flags=bicubic,setsar=1,pad=720:480:(ow-iw)/2:(oh-ih)/2"},
        {"scale=320:240,harddup", Source(720, 576, {64, 45}), "scale=320:240:flags=bicubic"},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseArguments(
            {"in", "-o", "out", "-ovc", "lavc", "-lavcopts", "autoaspect=1", "-sws", "2", "-vf", c.vf, "0", "0"});
        ASSERT_TRUE(r.ok()) << r.error;
        auto args = FfmpegArguments(r.job, c.source, "part");
        EXPECT_TRUE(HasPair(args, "-vf", c.chain)) << c.vf;
    }
    // Without autoaspect the output pixels are square.
    ParseResult r = ParseArguments({"in", "-o", "out", "-ovc", "lavc", "-sws", "9", "-vf", "scale=320:240", "0", "0"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(HasPair(FfmpegArguments(r.job, Source(720, 576, {64, 45}), "p"), "-vf",
                        "scale=320:240:flags=lanczos,setsar=1"));
}

TEST(FfmpegCommand, FreeDimensionFromTheDisplayAspect) {
    struct Case {
        ScaleJob scale;
        SourceInfo source;
        int width, height;
    };
    const Case cases[] = {
        {{-3, 576, 720, 576, true}, Source(640, 480), 720, 540},           // 768 wide would not fit: fitted by width
        {{720, -3, 720, 576, true}, Source(640, 480), 720, 540},           // 4:3 letter box into 720 x 576
        {{-3, 480, 640, 480, true}, Source(720, 576, {64, 45}), 640, 360}, // 16:9 anamorphic
        {{640, -3, 640, 480, true}, Source(720, 576, {16, 15}), 640, 480}, // 4:3 anamorphic
        {{-3, 240, 0, 0, false}, Source(1920, 1080), 426, 240},            // 426.67 -> nearest even
        {{-3, 576, 720, 576, true}, Source(352, 576), 352, 576},
        {{-3, 100, 0, 0, false}, Source(1, 1000), 2, 100}, // never below two pixels
    };
    for (const auto& c : cases) {
        FrameGeometry g = ComputeGeometry(c.scale, c.source);
        EXPECT_EQ(g.scaleWidth, c.width) << c.source.width << "x" << c.source.height;
        EXPECT_EQ(g.scaleHeight, c.height) << c.source.width << "x" << c.source.height;
        EXPECT_EQ(g.scaleWidth % 2, 0);
        EXPECT_EQ(g.scaleHeight % 2, 0);
        EXPECT_TRUE(g.squarePixels);
    }
}

TEST(FfmpegCommand, TemporaryNameKeepsFolderAndExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/out/movie.avi", "/out/.movie.zezozov-part.avi"},
        {"/out dir/a b ü.vob", "/out dir/.a b ü.zezozov-part.vob"},
        {"-o.wmv", ".-o.zezozov-part.wmv"},
        {"/out/noext", "/out/.noext.zezozov-part"},
        {"/out/two.dots.mpeg", "/out/.two.dots.zezozov-part.mpeg"},
    };
    for (const auto& [target, part] : cases)
        EXPECT_EQ(TemporaryOutputPath(target), part);
}
