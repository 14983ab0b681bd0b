#include "encoder/ffmpeg_command.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "encoder/copy_check.h"
#include "encoder/option_parser.h"

using namespace zezozov;

// The encoder's reading of a parameter text and the FFmpeg command it makes of it. What each option means is
// checked through the command it gives; the reading alone decides the paths, the mode and what it refuses.

namespace {

// Splits a parameter text without quoted paths into its arguments.
std::vector<std::string> Args(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> args;
    for (std::string word; in >> word;)
        args.push_back(word);
    return args;
}

// Whether `option` is followed directly by `value` somewhere in `args`.
bool HasPair(const std::vector<std::string>& args, const std::string& option, const std::string& value) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option && args[i + 1] == value)
            return true;
    return false;
}

// Whether `word` is one of `args`.
bool Has(const std::vector<std::string>& args, const std::string& word) {
    return std::find(args.begin(), args.end(), word) != args.end();
}

std::vector<std::string> Command(const std::string& text) {
    ParseResult r = ParseArguments(Args(text));
    EXPECT_TRUE(r.ok()) << text << ": " << r.error;
    return FfmpegArguments(r.job, "part.avi");
}

} // namespace

// The converter's AVI text, read and carried out: the whole command, as FFmpeg gets it.
TEST(FfmpegCommand, TheAviText) {
    const ParseResult r = ParseArguments(
        Args("in.mpg -o out.avi -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
             "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts "
             "i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 "
             "-ofps 25.000000 -endpos 9:0:0 0 3146290"));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(std::tuple(r.job.mode, r.job.windowHandle), std::tuple(RunMode::Convert, 3146290));
    std::string command;
    for (const std::string& arg : FfmpegArguments(r.job, "part.avi"))
        command += arg + " ";
    EXPECT_EQ(command, "ffmpeg -nostdin -hide_banner -loglevel error -progress pipe:1 -nostats -n -i file:in.mpg -map "
                       "0:v:0 -map 0:a:0? -vf crop=trunc(iw/2)*2:trunc(ih/2)*2 -c:v mpeg4 -b:v 1000000 -mbd rd -qmin 1 "
                       "-qmax 31 -tag:v DX50 -pix_fmt yuv420p -r 25/1 -fps_mode cfr -c:a libmp3lame -b:a 128000 -abr 1 "
                       "-ac 2 -sn -dn -t 32400 -f avi file:part.avi ");
}

// Each row: a parameter text (after "in -o out"), option pairs the command must hold, and options it must not.
TEST(FfmpegCommand, OptionMapping) {
    struct Case {
        const char* options;
        const char* pairs; // option value option value ...
        std::vector<std::string> absent = {};
    };
    const Case cases[] = {
        // MP3: the audio filter's two channels win over lame's mono mode; without them mode=3 means mono.
        {"-oac mp3lame -ovc lavc -lameopts vbr=3:br=96:mode=3 -af volume=+0db:0:channels=2",
         "-ac 2 -abr 1 -b:a 96000",
         {"-ar", "-af"}},
        {"-oac mp3lame -ovc lavc -lameopts vbr=0:br=96:mode=3", "-ac 1", {"-abr"}},
        {"-oac mp3lame -ovc lavc -lameopts br=96:mode=0", "-b:a 96000", {"-ac"}},
        // AC3 from a stereo source: upmixed to six channels.
        {"-oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=192 -xvidencopts bitrate=1000:autoaspect=1 "
         "-af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100",
         "-c:v libxvid -b:v 1000000 -c:a ac3 -b:a 192000 -ac 6 -ar 44100 -af volume=-8dB",
         {"-tag:v", "-mbd"}},
        {"-oac lavc -ovc lavc -lavcopts acodec=ac3:abitrate=96:vcodec=mpeg4 -of lavf", "-c:v mpeg4 -c:a ac3 -f avi"},
        // Codecs, containers, sizes, rates and channels are read back from real output by the encoder test; here
        // what ffprobe does not show.
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1152:vbitrate=1152:"
         "vrc_maxrate=1152:acodec=mp2:abitrate=224:autoaspect=1:aspect=4/3 -of mpeg -mpegopts format=xvcd",
         "-c:v mpeg1video -b:v 1152000 -g 18 -bufsize 327000 -minrate 1152000 -maxrate 1152000 -aspect 4:3 -c:a mp2 "
         "-b:a 224000 -f vcd -muxrate 1411200 -muxpreload 0.44",
         {"-scan_offset"}},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=917:vrc_minrate=600:"
         "vrc_maxrate=1650:vbitrate=800:acodec=mp2:abitrate=128:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd",
         "-f svcd -scan_offset 1 -maxrate 1650000 -minrate 600000 -g 15 -aspect 16:9",
         {"-muxrate"}},
        {"-oac lavc -ovc lavc -of mpeg -lavcopts vcodec=mpeg2video:acodec=ac3 -mpegopts format=dvd",
         "-c:v mpeg2video -c:a ac3 -f dvd -packetsize 2048"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=mpeg2video:aspect=2.21/1 -of lavf -lavfopts format=mpg",
         "-aspect 221:100 -f mpeg"},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2 -of mpeg", "-c:v msmpeg4v2 -c:a mp2 -f mpeg"},
        // Windows Media: a fixed quantiser instead of a bit rate, and the source's timestamps kept.
        {"-oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1:vqscale=19:abitrate=128:autoaspect=1 "
         "-of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -ofps 1000.000000",
         "-c:v wmv2 -q:v 19 -c:a wmav1 -f asf -fps_mode passthrough",
         {"-r", "-b:v"}},
        {"-oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav2 -of lavf -lavfopts format=asf",
         "-c:v msmpeg4 -c:a wmav2 -f asf"},
        // Bit rates up to 16000 are kbit/s, above that already bit/s.
        {"-ovc lavc -lavcopts vbitrate=20000", "-b:v 20000"},
        // Frame rates: NTSC rates exact.
        {"-ovc lavc -ofps 30000/1001", "-r 30000/1001"},
        {"-ovc lavc -ofps 29.970030", "-r 2997003/100000"},
        {"-ovc lavc -ofps 14.985000", "-r 2997/200"},
        // Audio filters and the sample rate: -srate is the output's rate, else the resampling rate.
        {"-oac lavc -ovc lavc -af volume=+20db:0:lavcresample=48000 -srate 48000",
         "-af volume=20dB -ar 48000",
         {"-ac"}},
        {"-oac lavc -ovc lavc -af volume=+5db:0:lavcresample=48000", "-ar 48000"},
        {"-oac lavc -ovc lavc -af volume=+0db:0:lavcresample=48000 -srate 44100", "-ar 44100", {"-af"}},
        {"-oac lavc -ovc lavc -af volume=-20db:0,channels=1", "-af volume=-20dB -ac 1"},
        {"-oac lavc -ovc lavc -srate 22050", "-ar 22050"},
        {"-ovc lavc -endpos 1:30", "-t 90"},
        {"-ovc lavc -endpos 12.5", "-t 12.500"},
        {"-ovc lavc -endpos 0:0:1", "-t 1"},
        // Video filters: the free side of a scale keeps the display aspect (its sizes on real sources are checked by
        // the encoder test), the frame is padded centred; without autoaspect the pixels are made square.
        {"-ovc lavc -sws 2 -lavcopts autoaspect=1 -vf scale=320:240,harddup", "-vf scale=w=320:h=240:flags=bicubic"},
        {"-ovc lavc -sws 9 -vf scale=320:240", "-vf scale=w=320:h=240:flags=lanczos,setsar=1"},
        {"-ovc lavc -sws 2 -lavcopts autoaspect=1 -vf scale=-3:576,harddup,expand=720:576",
         "-vf "
         "scale=w=min(720\\,max(2\\,2*round((576*dar)/2))):h=min(576\\,if(gt(max(2\\,2*round((576*dar)/2))\\,720)\\,"
         "max(2\\,2*round((720/dar)/2))\\,576)):flags=bicubic,setsar=1,pad=720:576:(ow-iw)/2:(oh-ih)/2"},
        {"-ovc lavc -sws 2 -lavcopts autoaspect=1 -vf scale=640:-3,harddup,expand=640:480",
         "-vf scale=w=min(640\\,if(gt(max(2\\,2*round((640/dar)/2))\\,480)\\,max(2\\,2*round((480*dar)/2))\\,640)):"
         "h=min(480\\,max(2\\,2*round((640/dar)/2))):flags=bicubic,setsar=1,pad=640:480:(ow-iw)/2:(oh-ih)/2"},
        // Without -oac there is no audio at all.
        {"-ovc lavc", "-c:v mpeg4", {"-c:a"}},
        // Constant quality: the CRF and speed of each encoder; AAC and Opus keep up to 5.1 of the source's channels.
        {"-oac lavc -ovc x264 -lavcopts acodec=aac:abitrate=160 -x264encopts crf=23:preset=medium -af volume=+0db:0 "
         "-channels 6 -of lavf -lavfopts format=mp4:o=movflags=+faststart",
         "-c:v libx264 -crf 23 -preset medium -c:a aac -b:a 160000 -af aformat=channel_layouts=mono|stereo|3.0|5.0|5.1 "
         "-f mp4 -movflags +faststart -pix_fmt yuv420p",
         {"-b:v", "-ac", "-tag:v", "-fflags"}},
        {"-oac lavc -ovc lavc -lavcopts vcodec=libx265:o=crf=25,preset=medium:acodec=libopus:abitrate=128 "
         "-af volume=-8db:0 -channels 2 -of lavf -lavfopts format=mp4",
         "-c:v libx265 -crf 25 -preset medium -x265-params log-level=error -tag:v hvc1 "
         "-af volume=-8dB,aformat=channel_layouts=mono|stereo",
         {"-movflags"}},
        {"-ovc lavc -lavcopts vcodec=libvpx-vp9:o=crf=33,row-mt=1,cpu-used=4 -of lavf -lavfopts format=webm",
         "-c:v libvpx-vp9 -crf 33 -b:v 0 -row-mt 1 -cpu-used 4 -f webm",
         {"-tag:v", "-preset"}},
        {"-ovc lavc -lavcopts vcodec=libsvtav1:o=crf=33,preset=10 -of lavf -lavfopts format=matroska",
         "-c:v libsvtav1 -crf 33 -preset 10 -f matroska",
         {"-b:v"}},
        // Copies: the source's packets, with a time on each, and nothing that would touch them.
        {"-oac copy -ovc copy -of lavf -lavfopts format=matroska",
         "-fflags +genpts -c:v copy -c:a copy",
         {"-vf", "-pix_fmt", "-af", "-r", "-ac", "-crf"}},
    };
    for (const auto& c : cases) {
        auto args = Command(std::string("in -o out ") + c.options + " 0 0");
        const std::vector<std::string> pairs = Args(c.pairs);
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
            EXPECT_TRUE(HasPair(args, pairs[i], pairs[i + 1]))
                << c.options << ": no " << pairs[i] << " " << pairs[i + 1];
        for (const auto& option : c.absent)
            EXPECT_FALSE(Has(args, option)) << c.options << ": has " << option;
        EXPECT_NE(Has(args, "-c:a"), Has(args, "-an")) << c.options;
    }
}

// The paths are taken by position, whatever they look like, and reach FFmpeg only through the file protocol: never
// as an option or another protocol.
TEST(OptionParser, PathsThatLookLikeOptions) {
    const std::pair<const char*, const char*> names[] = {{"-o.avi", "-o.wmv"},
                                                         {"-o", "-vf"},
                                                         {"concat:a.avi|b.avi", "http:x.avi"},
                                                         {"1", "0"},
                                                         {"a b ü.avi", "/abs/-i"}};
    for (const auto& [in, out] : names) {
        ParseResult r = ParseArguments({in, "-o", out, "-ovc", "lavc", "1", "7"});
        ASSERT_TRUE(r.ok()) << in << ": " << r.error;
        EXPECT_EQ(std::tuple(r.job.inputPath, r.job.outputPath, r.job.mode, r.job.windowHandle),
                  std::tuple(in, out, RunMode::Probe, 7));
        const std::vector<std::string> args = FfmpegArguments(r.job, out);
        EXPECT_TRUE(HasPair(args, "-i", std::string("file:") + in) && !Has(args, in) &&
                    args.back() == std::string("file:") + out)
            << in;
    }
}

// What the converter never writes is refused with a message naming it. Numbers out of range are refused with the
// option's name, never wrapped into another value (each of these once overflowed, and some reached FFmpeg as a
// different number or were dropped).
TEST(OptionParser, Refusals) {
    const std::pair<const char*, const char*> cases[] = {
        {"in -o out -nosound 0 0", "unknown option -nosound"},
        {"in -o out -ofps 0 0", "-ofps: missing value"},
        {"in -o out stray word 0 0", "unexpected argument 'stray'"},
        {"in -o out -ovc lavc 3 0", "mode must be 0"},
        {"in more -o out -ovc lavc 0 0", "more than one input"},
        {"in -o out -ovc lavc 0 hwnd", "window handle"},
        {"in out -ovc lavc 0 0", "expected"},
        {"in -o out 0", "expected"},
        {"in -o out -oac pcm 0 0", "-oac: unsupported audio codec family 'pcm'"},
        {"in -o out -ovc theora 0 0", "-ovc: unsupported"},
        {"in -o out -lavcopts vcodec=h264 0 0", "unsupported vcodec 'h264'"},
        // Encoder and muxer settings: only those the converter writes, so that none that writes files gets through.
        {"in -o out -ovc lavc -lavcopts vcodec=mpeg4:o=crf=20 0 0", "o= is only read for"},
        {"in -o out -ovc lavc -lavcopts vcodec=libx265:o=x265-params=csv=/tmp/x 0 0", "o=x265-params=csv=/tmp/x"},
        {"in -o out -ovc lavc -lavcopts vcodec=libsvtav1:o=preset=medium 0 0", "o=preset=medium is not read"},
        {"in -o out -ovc lavc -lavcopts vcodec=libvpx-vp9:o=crf=64 0 0", "o=crf=64 is not read"},
        {"in -o out -ovc x264 -x264encopts crf=52 0 0", "crf needs a number from 0 to 51"},
        {"in -o out -ovc x264 -x264encopts preset=ludicrous 0 0", "not an x264 preset"},
        {"in -o out -ovc x264 -x264encopts pass=2 0 0", "-x264encopts: unknown sub-option 'pass'"},
        {"in -o out -channels 7 0 0", "-channels: not a channel count"},
        {"in -o out -of lavf -lavfopts format=avi:o=movflags=+faststart 0 0", "for format=mp4 only"},
        {"in -o out -lavfopts format=mp4:o=movflags=+frag_keyframe 0 0", "o=movflags=+frag_keyframe is not read"},
        // A stream copied as it is can't be filtered or retimed.
        {"in -o out -ovc copy -vf scale=640:360 0 0", "-ovc: copy takes the video as it is"},
        {"in -o out -ovc copy -ofps 25 0 0", "-ovc: copy takes the video as it is"},
        {"in -o out -ovc lavc -oac copy -af volume=+0db:0 0 0", "-oac: copy takes the audio as it is"},
        {"in -o out -ovc lavc -oac copy -channels 6 0 0", "-oac: copy takes the audio as it is"},
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
        {"in -o out -lameopts vbr=3:br=80000128 0 0", "-lameopts"},
        {"in -o out -endpos 1e300 0 0", "-endpos"},
        {"in -o out -endpos 9:0577777777777777777777777777777777777777777777777777777777777777777777777770 0 0",
         "-endpos"},
        {"in -o out -endpos 1000001:0:0 0 0", "-endpos"},
        {"in -o out -ofps 500823.000091/23.0000900091 0 0", "-ofps"},
        {"in -o out -ofps 9223372036854775807/0.5 0 0", "-ofps"},
        {"in -o out -lavcopts aspect=99999999999/0.000000001 0 0", "-lavcopts"},
        {"in -o out -lavcopts vbitrate=9223372036854775807 0 0", "-lavcopts"},
        {"in -o out -xvidencopts bitrate=100000001 0 0", "-xvidencopts"},
        {"in -o out -srate 4294967297 0 0", "-srate"},
        {"in -o out -af volume=1e308db:0 0 0", "-af"},
        {"in -o out -vf scale=4294967936:480 0 0", "-vf"},
    };
    for (const auto& [text, error] : cases) {
        ParseResult r = ParseArguments(Args(text));
        EXPECT_FALSE(r.ok()) << text;
        EXPECT_NE(r.error.find(error), std::string::npos) << text << " gave: " << r.error;
    }
    // The edges that are still taken.
    const ParseResult edge = ParseArguments(
        Args("in.avi -o out.avi -endpos 1000000:0:0 -lavcopts abitrate=640:vbitrate=100000000 -ofps 1000 0 1"));
    ASSERT_TRUE(edge.ok()) << edge.error;
    EXPECT_EQ(edge.job.endSeconds, 3.6e9);
    EXPECT_EQ(edge.job.audio.bitrate, 640000);
}

// Which copied stream a container refuses, and the reason the user reads. MP4 goes by what players take from it; the
// other containers by their muxer (here a stand-in that refuses one codec, and must be asked under the right name).
TEST(CopyCheck, RefusesWhatTheContainerCantHold) {
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        // parameter text (after "in -o out"), the source's video and audio ("" for none), the muxer's refusal, reason
        {"-ovc copy -oac lavc -lavcopts acodec=aac -of lavf -lavfopts format=mp4", "mpeg2video", "mp2", "",
         "its video is MPEG-2, which MP4 can't hold; choose H.264"},
        {"-ovc copy -oac copy -of lavf -lavfopts format=mp4", "h264", "mp2", "",
         "its audio is MP2, which MP4 can't hold; choose AAC"},
        {"-ovc copy -oac copy -of lavf -lavfopts format=matroska", "wmv2", "wmav2", "wmv2",
         "its video is WMV8, which MKV can't hold; choose H.264"},
        {"-ovc copy -oac copy -of lavf -lavfopts format=matroska", "mpeg2video", "", "", ""},
        {"-ovc lavc -lavcopts vcodec=libvpx-vp9 -oac copy -of lavf -lavfopts format=webm", "vp9", "aac", "aac",
         "its audio is AAC, which WebM can't hold; choose Opus"},
    };
    for (const auto& [options, video, audio, refused, reason] : cases) {
        const ParseResult r = ParseArguments(Args(std::string("in -o out ") + options + " 0 0"));
        ASSERT_TRUE(r.ok()) << options << ": " << r.error;
        ProbeFacts source;
        source.streams = {StreamFacts{.video = true, .codec = video},
                          StreamFacts{.audio = *audio != 0, .codec = audio}};
        const auto muxer = [&](const std::string& name, const std::string& codec) {
            EXPECT_EQ(name, MuxerName(r.job.container)) << options;
            return codec != refused;
        };
        EXPECT_EQ(CopyRefusal(r.job, source, muxer), reason) << options << " of " << video << "/" << audio;
    }
}
