#include "convert/parameter_text.h"

#include <functional>
#include <regex>

#include <gtest/gtest.h>

#include "settings/output_profiles.h"

namespace {

const std::string kIn = "/in/clip.mpg";
const std::string kOut = "/out/clip.out";
const std::string kHead = "\"/in/clip.mpg\" -o \"/out/clip.out\"";
const std::string kTail = " -endpos 9:0:0 0 3146290";
const std::string kAviTail =
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";

EncoderJob Job(double sourceFrameRate = 25) {
    EncoderJob job;
    job.inputPath = kIn;
    job.outputPath = kOut;
    job.windowHandle = 3146290;
    job.sourceFrameRate = sourceFrameRate;
    return job;
}

// The defaults a first run stores, which the cases below change.
ConversionSettings Defaults() {
    ConversionSettings s;
    s.volume = 20;
    s.aviQuality = 4;
    s.mpeg1Quality = 3;
    s.mpeg2Quality = 3;
    s.svcdQuality = 4;
    s.dvdQuality = 5;
    s.wmvQuality = 5;
    return s;
}

std::string Convert(const ConversionSettings& s, const EncoderJob& job = Job()) {
    const ParameterText p = BuildParameterText(s, job);
    EXPECT_TRUE(p.ok()) << p.error;
    return p.text;
}

// The argument after `option` in the split text, or "<none>".
std::string OptionValue(const std::string& text, const std::string& option) {
    const std::vector<std::string> args = SplitParameterText(text);
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == option)
            return args[i + 1];
    }
    return "<none>";
}

TEST(ParameterText, WorkedExample) {
    ConversionSettings s = Defaults();
    s.outputFormat = FORMAT_AVI;
    EncoderJob job = Job(25);
    job.inputPath = "/output video/movie.mpg";
    job.outputPath = "/output video/movie.avi";
    EXPECT_EQ(Convert(s, job),
              "\"/output video/movie.mpg\" -o \"/output video/movie.avi\" -oac mp3lame -ovc lavc -lameopts "
              "vbr=3:br=128:mode=3 -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc "
              "DX50 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af "
              "volume=+0db:0:channels=2 -ofps 25.000000 -endpos 9:0:0 0 3146290");
}

// One pinned text per format block and codec choice; the frame rate and filter follow the block.
TEST(ParameterText, FormatBlocks) {
    const std::string wmTail = " -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
    const std::string certify = " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=";
    const std::string mpg = " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
    struct Case {
        const char* name;
        std::function<void(ConversionSettings&)> change;
        std::string expected; // everything between the head and the tail
    };
    const Case cases[] = {
        {"avi ac3 + mpeg4",
         [](auto& s) {
             s.aviAudioCodec = 1;
             s.aviQuality = 8;
             s.volume = 12;
         },
         " -oac lavc -ovc lavc -lavcopts "
         "acodec=ac3:abitrate=224:vcodec=mpeg4:vbitrate=2500:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
             kAviTail + " -af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000"},
        {"avi mp3 + xvid",
         [](auto& s) {
             s.aviVideoCodec = 1;
             s.aviQuality = 0;
             s.aviFrameRate = 2;
         },
         " -oac mp3lame -ovc xvid -lameopts vbr=3:br=64:mode=3 -xvidencopts bitrate=384:autoaspect=1" + kAviTail +
             " -af volume=+0db:0:channels=2 -ofps 20.000000"},
        {"xvid ac3 ignores the avi codecs",
         [](auto& s) {
             s.outputFormat = FORMAT_XVID;
             s.xvidAudioCodec = 1;
             s.volume = 40;
         },
         " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=128 -xvidencopts bitrate=1000:autoaspect=1" + kAviTail +
             " -af volume=+20db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000"},
        {"zodi ignores the avi codecs",
         [](auto& s) {
             s.outputFormat = FORMAT_ZODI;
             s.aviVideoCodec = 1;
             s.aviAudioCodec = 1;
         },
         " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
         "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
             kAviTail + " -af volume=+0db:0:channels=2 -ofps 25.000000"},
        {"mpeg1",
         [](auto& s) {
             s.outputFormat = FORMAT_MPEG1;
             s.mpegAspectRatio = 2;
         },
         " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc -lavcopts "
         "vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000:acodec=mp2:"
         "abitrate=192:autoaspect=1:aspect=16/9" +
             mpg + " -ofps 25.000000"},
        {"mpeg2",
         [](auto& s) {
             s.outputFormat = FORMAT_MPEG2;
             s.mpegAspectRatio = 3;
             s.mpegFrameRate = 4;
             s.mpegResolution = 15;
         },
         " -oac lavc -ovc lavc -lavcopts "
         "vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=2000:acodec=mp2:abitrate=160:"
         "autoaspect=1:aspect=2.21/1" +
             mpg +
             " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001 -vf "
             "scale=640:480,harddup"},
        {"vcd pal",
         [](auto& s) {
             s.outputFormat = FORMAT_VCD;
             s.tvMode = 1;
             s.mpeg1Quality = 0;
             s.dvdAspectRatio = 1;
         },
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg1video:keyint=15:vrc_buf_size=327:vrc_minrate=512:vbitrate=512:vrc_maxrate=512:acodec=mp2:"
         "abitrate=96:autoaspect=1:aspect=16/9 -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100 "
         "-srate 44100 -ofps 25.000000 -vf scale=352:288,harddup"},
        {"svcd ntsc: the peak rate lies halfway to 2500",
         [](auto& s) {
             s.outputFormat = FORMAT_SVCD;
             s.svcdQuality = 0;
             s.dvdAspectRatio = 1;
         },
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=1650:vbitrate=800:acodec=mp2:"
         "abitrate=128:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd -af "
         "volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001 -vf scale=480:480,harddup"},
        {"dvd: any tv mode but 0 is pal, any codec but 0 is mp2",
         [](auto& s) {
             s.outputFormat = FORMAT_DVD;
             s.tvMode = 7;
             s.dvdAudioCodec = -1;
             s.dvdQuality = 0;
             s.dvdAspectRatio = 0;
             s.volume = 0;
         },
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=800:acodec=mp2:abitrate=112:"
         "autoaspect=1:aspect=4/3 -mpegopts format=dvd -af volume=-20db:0:lavcresample=48000 -srate 48000 "
         "-ofps 25.000000 -vf scale=720:576,harddup"},
        {"wmv",
         [](auto& s) {
             s.outputFormat = FORMAT_WMV;
             s.wmvAudioCodec = 1;
             s.asfAudioCodec = 0;
             s.aviResolution = 17;
         },
         " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1" + certify +
             "wmv" + wmTail + " -vf scale=640:480,harddup"},
        {"asf",
         [](auto& s) {
             s.outputFormat = FORMAT_ASF;
             s.asfVideoCodec = 1;
             s.asfAudioCodec = 0;
             s.wmvAudioCodec = 1;
         },
         " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2:acodec=wmav1:vqscale=16:abitrate=128:autoaspect=1" + certify +
             "asf" + wmTail},
        {"no such format", [](auto& s) { s.outputFormat = 10; }, " -ofps 1000.000000"},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        c.change(s);
        EXPECT_EQ(Convert(s), kHead + c.expected + kTail) << c.name;
    }
}

TEST(ParameterText, WindowsMediaQuantiser) {
    // Positions past the ladder give no bit rates but still shift the quantiser.
    const std::pair<int, const char*> cases[] = {
        {0, "vqscale=29:abitrate=64"},
        {8, "vqscale=9:abitrate=224"},
        {21, "vqscale=-23:abitrate=0"},
        {-1, "vqscale=31:abitrate=0"},
    };
    for (const auto& [quality, expected] : cases) {
        ConversionSettings s = Defaults();
        s.outputFormat = FORMAT_WMV;
        s.wmvQuality = quality;
        const std::string text = Convert(s);
        EXPECT_NE(text.find(expected), std::string::npos) << quality << ": " << text;
    }
}

TEST(ParameterText, FrameRateOption) {
    struct Case {
        int format;
        std::int32_t choice; // aviFrameRate or mpegFrameRate; tvMode for the disc formats
        double source;
        const char* ofps;
    };
    const Case cases[] = {
        // The source's own rate under the AVI family: kept between 14.985 and 60; NTSC rates as exact fractions.
        {FORMAT_AVI, 0, 12, "15000/1001"},
        {FORMAT_XVID, 0, 60, "60.000000"},
        {FORMAT_ZODI, 0, 61, "30.000000"},
        {FORMAT_AVI, 0, 29.970005, "30000/1001"},
        {FORMAT_AVI, 0, 29.97002, "29.970020"},
        {FORMAT_AVI, 3, 25, "24000/1001"},
        {FORMAT_AVI, 5, 50, "25.000000"},
        {FORMAT_AVI, -1, 25, "30.000000"},
        // Plain MPEG snaps the source's rate.
        {FORMAT_MPEG1, 0, 23.9, "24000/1001"},
        {FORMAT_MPEG1, 0, 24.9, "24.000000"},
        {FORMAT_MPEG2, 0, 26.5, "25.000000"},
        {FORMAT_MPEG1, 0, 29.5, "30000/1001"},
        {FORMAT_MPEG1, 0, 30, "30.000000"},
        {FORMAT_MPEG2, 4, 25, "30000/1001"},
        {FORMAT_MPEG2, 6, 25, "30.000000"},
        // The disc formats follow the TV mode, whatever the source; Windows Media keeps the source's timestamps.
        {FORMAT_VCD, 0, 25, "24000/1001"},
        {FORMAT_SVCD, 0, 25, "30000/1001"},
        {FORMAT_DVD, 2, 30, "25.000000"},
        {FORMAT_ASF, 3, 30, "1000.000000"},
        {-1, 0, 30, "1000.000000"},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        s.outputFormat = c.format;
        s.aviFrameRate = c.choice;
        s.mpegFrameRate = c.choice;
        s.tvMode = c.choice;
        EXPECT_EQ(OptionValue(Convert(s, Job(c.source)), "-ofps"), c.ofps)
            << "format " << c.format << ", choice " << c.choice << ", source " << c.source;
    }
}

TEST(ParameterText, VideoFilter) {
    struct Case {
        std::int32_t aviResolution; // 19: 720 x 576, 17: 640 x 480, 0: the source's own size
        int spareWidth, spareHeight;
        const char* filter; // "" for none
    };
    const Case cases[] = {
        {19, 100, 0, " -vf scale=-3:576,harddup,expand=720:576"},
        {17, 0, 50, " -vf scale=640:-3,harddup,expand=640:480"},
        {19, -48, 36, " -vf scale=720:-3,harddup,expand=720:576"},
        {19, 240, -288, " -vf scale=-3:576,harddup,expand=720:576"},
        {17, 0, 0, " -vf scale=640:480,harddup"},
        {17, -3, -4, " -vf scale=640:480,harddup"},
        {0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        ConversionSettings s = Defaults();
        s.aviFrameRate = 5;
        s.aviResolution = c.aviResolution;
        EncoderJob job = Job();
        job.spareWidth = c.spareWidth;
        job.spareHeight = c.spareHeight;
        const std::string text = Convert(s, job);
        EXPECT_NE(text.find(std::string("-ofps 25.000000") + c.filter + kTail), std::string::npos)
            << c.aviResolution << " spare " << c.spareWidth << "/" << c.spareHeight << ": " << text;
    }
}

// Each text comes from the settings and its own job alone: what one file derived never reaches the next.
TEST(ParameterText, NothingCarriesOverBetweenTwoTexts) {
    ConversionSettings avi = Defaults();
    EncoderJob probe = Job(0);
    probe.probeOnly = 1;
    const ParameterText fresh = BuildParameterText(avi, probe);

    ConversionSettings dvd = Defaults();
    dvd.outputFormat = FORMAT_DVD;
    dvd.tvMode = 1;
    EncoderJob wide = Job(50);
    wide.spareHeight = 96;
    const ParameterText first = BuildParameterText(dvd, wide);
    EXPECT_EQ(first.derived.frameWidth, 720);
    EXPECT_EQ(first.derived.outputFrameRate, 25);

    const ParameterText second = BuildParameterText(avi, probe);
    EXPECT_EQ(second.text, fresh.text);
    EXPECT_EQ(second.text.find("scale="), std::string::npos) << second.text;
    EXPECT_EQ(second.derived.frameWidth, 0);
    EXPECT_EQ(second.derived.videoBitrate, 1000);
}

TEST(ParameterText, ProbeTailCarriesModeAndSignedHandle) {
    ConversionSettings s = Defaults();
    s.aviFrameRate = 5;
    EncoderJob job = Job();
    job.probeOnly = 1;
    job.windowHandle = -2;
    EXPECT_EQ(BuildParameterText(s, job).text,
              kHead +
                  " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
                  "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
                  kAviTail + " -af volume=+0db:0:channels=2 -ofps 25.000000 -endpos 9:0:0 1 -2");
    job.probeOnly = 0;
    job.windowHandle = 94489280512;
    const std::string text = BuildParameterText(s, job).text;
    EXPECT_EQ(text.substr(text.size() - 28), " -endpos 9:0:0 0 94489280512");
}

TEST(ParameterText, LadderTextsAgreeWithTheEncoderRates) {
    const std::regex rates(R"(^\d\.[A-Za-z ]{6} \(video bitrate: *(\d+)kbps; audio bitrate: *(\d+)kbps\)$)");
    for (int format = 0; format < kFormatCount; ++format) {
        const ChoiceList list = GetChoiceList(format, SettingKind::Quality);
        ASSERT_FALSE(list.texts.empty());
        for (std::size_t pos = 0; pos < list.texts.size(); ++pos) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(list.texts[pos], m, rates)) << list.texts[pos];
            ConversionSettings s;
            s.outputFormat = format;
            s.*list.field = static_cast<std::int32_t>(pos);
            DerivedValues derived;
            DeriveBitrates(s, derived);
            EXPECT_EQ(derived.videoBitrate, std::stoi(m[1])) << format << "/" << pos;
            EXPECT_EQ(derived.audioBitrate, std::stoi(m[2])) << format << "/" << pos;
        }
    }
}

TEST(ParameterText, AspectText) {
    struct Case {
        int format;
        std::int32_t mpegAspect, dvdAspect;
        const char* text;
    };
    const Case cases[] = {
        {FORMAT_MPEG1, 0, 1, "1/1"}, {FORMAT_MPEG2, 3, 0, "2.21/1"}, {FORMAT_MPEG1, -1, 1, "1/1"},
        {FORMAT_VCD, 3, 0, "4/3"},   {FORMAT_SVCD, 0, 1, "16/9"},    {FORMAT_DVD, 1, -5, "4/3"},
        {FORMAT_AVI, 1, 1, ""},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.outputFormat = c.format;
        s.mpegAspectRatio = c.mpegAspect;
        s.dvdAspectRatio = c.dvdAspect;
        EXPECT_EQ(DeriveAspectText(s), c.text) << c.format << " " << c.mpegAspect << " " << c.dvdAspect;
    }
}

TEST(ParameterText, FrameSize) {
    struct Case {
        int format;
        std::int32_t resolution; // aviResolution and mpegResolution; tvMode for the disc formats
        int width, height;
    };
    const Case cases[] = {
        {FORMAT_AVI, 13, 480, 272}, {FORMAT_MPEG1, 13, 480, 480}, {FORMAT_WMV, 19, 720, 576},
        {FORMAT_AVI, 20, 0, 0},     {FORMAT_MPEG1, 18, 0, 0},     {FORMAT_ASF, -1, 0, 0},
        {FORMAT_VCD, 1, 352, 288},  {FORMAT_SVCD, 0, 480, 480},   {FORMAT_DVD, 3, 720, 576},
    };
    for (const Case& c : cases) {
        ConversionSettings s;
        s.outputFormat = c.format;
        s.aviResolution = c.resolution;
        s.mpegResolution = c.resolution;
        s.tvMode = c.resolution;
        DerivedValues derived{1, 2, 3, 4, 5};
        DeriveFrameSize(s, derived);
        EXPECT_EQ(derived.frameWidth, c.width) << c.format << "/" << c.resolution;
        EXPECT_EQ(derived.frameHeight, c.height) << c.format << "/" << c.resolution;
    }
}

TEST(ParameterText, RefusesPathsThatCannotBeQuoted) {
    const std::string tooLong = "/" + std::string(255, 'a');
    const std::string longest = "/" + std::string(254, 'a');
    const std::string cases[] = {"/in/say \"hi\".avi", "/in/two\nlines.avi", "/in/ret\r.avi", tooLong};
    for (const std::string& bad : cases) {
        for (const bool asInput : {true, false}) {
            EncoderJob job = Job();
            (asInput ? job.inputPath : job.outputPath) = bad;
            const ParameterText p = BuildParameterText(Defaults(), job);
            EXPECT_FALSE(p.ok()) << bad;
            EXPECT_TRUE(p.text.empty()) << bad;
            EXPECT_NE(p.error.find(bad), std::string::npos) << p.error;
        }
    }
    EncoderJob job = Job();
    job.inputPath = longest;
    EXPECT_TRUE(BuildParameterText(Defaults(), job).ok());
}

TEST(ParameterText, AcceptedPathsStaySingleArguments) {
    // Whatever an accepted path holds, splitting the text gives it back whole, in its place.
    const std::string paths[] = {
        "/in/a b/c d.avi", "/in/-vf scale=1:1 -o x.avi", "/in/tab\there.avi", "/in/'quote' $(x) ;&.avi", "-o", "",
    };
    ConversionSettings s = Defaults();
    s.aviFrameRate = 5;
    const std::size_t plainCount = SplitParameterText(Convert(s)).size();
    for (const std::string& path : paths) {
        EncoderJob job = Job();
        job.inputPath = path;
        job.outputPath = path + ".avi";
        const std::vector<std::string> args = SplitParameterText(Convert(s, job));
        ASSERT_EQ(args.size(), plainCount) << path;
        EXPECT_EQ(args[0], path);
        EXPECT_EQ(args[1], "-o");
        EXPECT_EQ(args[2], path + ".avi");
    }
}

TEST(ParameterText, Split) {
    using Args = std::vector<std::string>;
    const std::pair<const char*, Args> cases[] = {
        {"a  b", {"a", "b"}},        {"  a b  ", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}}, {"\"\" -o \"\"", {"", "-o", ""}},
        {"x\"y z\"w", {"xy zw"}},    {"", {}},
    };
    for (const auto& [text, args] : cases)
        EXPECT_EQ(SplitParameterText(text), args) << text;
}

} // namespace

// -endpos follows the source: nine hours up to nine hours, the source's hours rounded up beyond, so a long source
// is never cut (the worked example's 9:0:0 stays).
TEST(ParameterText, EndPositionFollowsTheSource) {
    const std::pair<double, const char*> cases[] = {
        {0, " -endpos 9:0:0 0 "},          {9 * 3600, " -endpos 9:0:0 0 "},        {9 * 3600 + 1, " -endpos 10:0:0 0 "},
        {25 * 3600, " -endpos 25:0:0 0 "}, {2147483647, " -endpos 596524:0:0 0 "},
    };
    for (const auto& [duration, tail] : cases) {
        EncoderJob job;
        job.inputPath = "/in/a.avi";
        job.outputPath = "/out/a.avi";
        job.sourceDuration = duration;
        const ParameterText text = BuildParameterText(ConversionSettings(), job);
        EXPECT_NE(text.text.find(tail), std::string::npos) << duration << ": " << text.text;
    }
}
