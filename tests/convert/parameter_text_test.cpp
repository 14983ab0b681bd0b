#include "convert/parameter_text.h"

#include <set>

#include <gtest/gtest.h>

#include "settings/conversion_settings.h"
#include "settings/output_profiles.h"

namespace {

const std::string kHead = "\"/in/clip.mpg\" -o \"/out/clip.out\"";
const std::string kTail = " -endpos 9:0:0 0 3146290";

// A first run's settings, changed by option.ini lines.
ConversionSettings Settings(const std::string& lines = "") {
    return SettingsFromText("[Destinate]\n" + lines);
}

EncoderJob Job(double sourceFrameRate = 25) {
    EncoderJob job;
    job.inputPath = "/in/clip.mpg";
    job.outputPath = "/out/clip.out";
    job.windowHandle = 3146290;
    job.sourceFrameRate = sourceFrameRate;
    return job;
}

std::string Convert(const ConversionSettings& s, const EncoderJob& job = Job()) {
    const ParameterText p = BuildParameterText(s, job);
    EXPECT_TRUE(p.ok()) << p.error;
    return p.text;
}

// The whole text of every format and codec choice; the frame rate and filter follow the format's block.
TEST(ParameterText, EveryFormat) {
    const std::string avi =
        " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";
    const std::string mpg = " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
    const std::string windowsMedia = " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=";
    const std::string windowsMediaTail = " -sws 2 -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
    const std::string aac = "-lavcopts acodec=aac:abitrate=160", x264 = " -x264encopts crf=23:preset=medium";
    const std::string hd = " -af volume=+0db:0 -channels 6",
                      mp4 = " -of lavf -lavfopts format=mp4:o=movflags=+faststart";
    struct Row {
        const char* name;
        const char* settings; // option.ini lines
        std::string text;     // everything between the paths and the tail
    };
    const Row rows[] = {
        {"avi", "",
         " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
         "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
             avi + " -af volume=+0db:0:channels=2 -ofps 25.000000"},
        {"avi ac3 + mpeg4", "AVI audio codec=1\nAVI quality=8\nVolume=12",
         " -oac lavc -ovc lavc -lavcopts "
         "acodec=ac3:abitrate=224:vcodec=mpeg4:vbitrate=2500:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
             avi + " -af volume=-8db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000"},
        {"avi mp3 + xvid", "AVI video codec=1\nAVI quality=0\nAVI frame rate=2",
         " -oac mp3lame -ovc xvid -lameopts vbr=3:br=64:mode=3 -xvidencopts bitrate=384:autoaspect=1" + avi +
             " -af volume=+0db:0:channels=2 -ofps 20.000000"},
        {"xvid ac3", "Output format=4\nXvid audio codec=1\nVolume=40",
         " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=128 -xvidencopts bitrate=1000:autoaspect=1" + avi +
             " -af volume=+20db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000"},
        {"zodi ignores the avi codecs", "Output format=3\nAVI video codec=1\nAVI audio codec=1",
         " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts "
         "vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" +
             avi + " -af volume=+0db:0:channels=2 -ofps 25.000000"},
        {"mpeg1", "Output format=1",
         " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc -lavcopts "
         "vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000:acodec=mp2:"
         "abitrate=192:autoaspect=1:aspect=16/9" +
             mpg + " -ofps 25.000000"},
        {"mpeg2", "Output format=2\nMPEG aspect ratio=3\nMPEG frame rate=4\nMPEG resolution=15",
         " -oac lavc -ovc lavc -lavcopts "
         "vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=2000:acodec=mp2:abitrate=160:"
         "autoaspect=1:aspect=2.21/1" +
             mpg +
             " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001 -vf "
             "scale=640:480,harddup"},
        {"vcd pal", "Output format=5\nTV mode=1\nMPEG1 quality=0",
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg1video:keyint=15:vrc_buf_size=327:vrc_minrate=512:vbitrate=512:vrc_maxrate=512:acodec=mp2:"
         "abitrate=96:autoaspect=1:aspect=16/9 -mpegopts format=xvcd -af volume=+0db:0:channels=2:lavcresample=44100 "
         "-srate 44100 -ofps 25.000000 -vf scale=352:288,harddup"},
        {"svcd ntsc: the peak rate lies halfway to 2500", "Output format=6\nSVCD quality=0",
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=1650:vbitrate=800:acodec=mp2:"
         "abitrate=128:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd -af "
         "volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001 -vf scale=480:480,harddup"},
        {"dvd: any tv mode but 0 is pal, any codec but 0 is mp2",
         "Output format=7\nTV mode=7\nDVD audio codec=-1\nDVD quality=0\nDVD aspect ratio=0\nVolume=0",
         " -oac lavc -ovc lavc -of mpeg -lavcopts "
         "vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=800:acodec=mp2:abitrate=112:"
         "autoaspect=1:aspect=4/3 -mpegopts format=dvd -af volume=-20db:0:lavcresample=48000 -srate 48000 "
         "-ofps 25.000000 -vf scale=720:576,harddup"},
        {"wmv", "Output format=8\nASF audio codec=0\nAVI resolution=17",
         " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1" + windowsMedia +
             "wmv" + windowsMediaTail + " -vf scale=640:480,harddup"},
        {"asf", "Output format=9\nASF video codec=1\nASF audio codec=0",
         " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2:acodec=wmav1:vqscale=16:abitrate=128:autoaspect=1" +
             windowsMedia + "asf" + windowsMediaTail},
        // MP4, MKV and WebM: a CRF per codec from the step, the source's channels up to 5.1, no -ofps under "Original".
        {"mp4: h.264 + aac, the index first", "Output format=10", " -oac lavc -ovc x264 " + aac + x264 + hd + mp4},
        {"mp4, positions outside the lists: the first codecs, the default step, the source's size and rate",
         "Output format=10\nMP4 video codec=7\nMP4 audio codec=-1\nMP4 quality=9\nHD frame rate=20\nHD resolution=-2",
         " -oac lavc -ovc x264 " + aac + x264 + hd + mp4},
        {"mkv: h.265 + opus at the best step, 59.94 fps exact",
         "Output format=11\nMKV video codec=1\nMKV audio codec=1\nMKV quality=5\nHD frame rate=7",
         " -oac lavc -ovc lavc -lavcopts vcodec=libx265:o=crf=17,preset=medium:acodec=libopus:abitrate=192" + hd +
             " -of lavf -lavfopts format=matroska -ofps 60000/1001"},
        {"webm: av1 at the smallest step", "Output format=12\nWebM video codec=1\nWebM quality=0\nVolume=12",
         " -oac lavc -ovc lavc -lavcopts vcodec=libsvtav1:o=crf=52,preset=10:acodec=libopus:abitrate=64 -af "
         "volume=-8db:0 -channels 6 -of lavf -lavfopts format=webm"},
        {"webm: vp9 at the third step, 1280 x 720 at 25 fps",
         "Output format=12\nWebM quality=2\nHD resolution=3\nHD frame rate=3",
         " -oac lavc -ovc lavc -lavcopts vcodec=libvpx-vp9:o=crf=41,row-mt=1,cpu-used=4:acodec=libopus:abitrate=96" +
             hd + " -of lavf -lavfopts format=webm -ofps 25.000000 -vf scale=1280:720,harddup"},
        {"mp4 copies both: no size, rate or volume",
         "Output format=10\nMP4 video codec=2\nMP4 audio codec=1\nHD resolution=3\nHD frame rate=3\nVolume=30",
         " -oac copy -ovc copy" + mp4},
        {"mkv copies the video, converts the sound",
         "Output format=11\nMKV video codec=3\nHD resolution=3\nHD frame rate=3",
         " -oac lavc -ovc copy " + aac + hd + " -of lavf -lavfopts format=matroska"},
        {"no such format", "Output format=13", " -ofps 1000.000000"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Convert(Settings(row.settings)), kHead + row.text + kTail) << row.name;
}

TEST(ParameterText, WindowsMediaQuantiserPastTheLadder) {
    // Positions past the ladder give no bit rates but still shift the quantiser.
    const std::pair<const char*, const char*> rows[] = {{"21", "vqscale=-23:abitrate=0"},
                                                        {"-1", "vqscale=31:abitrate=0"}};
    for (const auto& [quality, expected] : rows) {
        const std::string text = Convert(Settings("Output format=8\nWMV quality=" + std::string(quality)));
        EXPECT_NE(text.find(expected), std::string::npos) << quality << ": " << text;
    }
}

TEST(ParameterText, FrameRateOption) {
    struct Row {
        int format;
        std::int32_t choice; // AVI or MPEG frame rate; TV mode for the disc formats
        double source;
        const char* ofps;
    };
    const Row rows[] = {
        // The source's own rate under the AVI family: kept between 14.985 and 60; NTSC rates as exact fractions.
        {FORMAT_AVI, 0, 12, "15000/1001"},
        {FORMAT_XVID, 0, 60, "60.000000"},
        {FORMAT_ZODI, 0, 61, "30.000000"},
        {FORMAT_AVI, 0, 29.970005, "30000/1001"},
        {FORMAT_AVI, 0, 29.97002, "29.970020"},
        {FORMAT_AVI, 3, 25, "24000/1001"},
        {FORMAT_AVI, -1, 25, "30.000000"},
        // Plain MPEG snaps the source's rate.
        {FORMAT_MPEG1, 0, 23.9, "24000/1001"},
        {FORMAT_MPEG1, 0, 24, "24.000000"},
        {FORMAT_MPEG1, 0, 24.9, "24.000000"},
        {FORMAT_MPEG2, 0, 26.5, "25.000000"},
        {FORMAT_MPEG1, 0, 29.5, "30000/1001"},
        {FORMAT_MPEG1, 0, 30, "30.000000"},
        {FORMAT_MPEG2, 4, 25, "30000/1001"},
        // The disc formats follow the TV mode, whatever the source; Windows Media keeps the source's timestamps.
        {FORMAT_VCD, 0, 25, "24000/1001"},
        {FORMAT_SVCD, 0, 25, "30000/1001"},
        {FORMAT_DVD, 2, 30, "25.000000"},
        {FORMAT_ASF, 3, 30, "1000.000000"},
        {-1, 0, 30, "1000.000000"},
        {FORMAT_AVI, 0, 59.94, "59.940000"}, // 59.94 goes out as 60000/1001 only in MP4, MKV and WebM
    };
    for (const Row& row : rows) {
        ConversionSettings s = Settings();
        s.outputFormat = row.format;
        s.aviFrameRate = s.mpegFrameRate = s.tvMode = row.choice;
        const std::vector<std::string> args = SplitParameterText(Convert(s, Job(row.source)));
        const auto ofps = std::find(args.begin(), args.end(), "-ofps");
        EXPECT_EQ(ofps < args.end() - 1 ? ofps[1] : "none", row.ofps)
            << "format " << row.format << ", choice " << row.choice << ", source " << row.source;
    }
}

// Adding a format is adding one description: each entry has its text, extension, unique command-line name and quality
// list, and writes a block that names its container.
TEST(ParameterText, EveryFormatIsDescribedWhole) {
    std::set<std::string> names;
    for (int format = 0; format < kFormatCount; ++format) {
        const FormatDescription* d = DescribeFormat(format);
        ASSERT_TRUE(d && d->format == format) << format;
        EXPECT_TRUE(*d->text && *d->extension && names.insert(d->commandName).second) << format;
        EXPECT_FALSE(GetChoiceList(format, SettingKind::Quality).texts.empty()) << format;
        EXPECT_NE(Convert(Settings("Output format=" + std::to_string(format))).find(" -of "), std::string::npos)
            << format;
    }
    EXPECT_EQ(DescribeFormat(kFormatCount), nullptr);
}

// AVI resolution 19 is 720 x 576, 17 is 640 x 480, 0 the source's own size; the letter-box room decides the side
// the source is scaled by.
TEST(ParameterText, VideoFilter) {
    const std::tuple<const char*, int, int, const char*> rows[] = {
        {"19", 100, 0, " -vf scale=-3:576,harddup,expand=720:576"},
        {"17", 0, 50, " -vf scale=640:-3,harddup,expand=640:480"},
        {"19", -48, 36, " -vf scale=720:-3,harddup,expand=720:576"},
        {"17", -3, -4, " -vf scale=640:480,harddup"},
        {"0", 0, 0, ""}};
    for (const auto& [resolution, spareWidth, spareHeight, filter] : rows) {
        EncoderJob job = Job();
        job.spareWidth = spareWidth;
        job.spareHeight = spareHeight;
        const std::string text = Convert(Settings("AVI frame rate=5\nAVI resolution=" + std::string(resolution)), job);
        EXPECT_TRUE(text.ends_with(std::string("-ofps 25.000000") + filter + kTail)) << text;
    }
}

// Each text comes from the settings and its own job alone: what one file derived never reaches the next.
TEST(ParameterText, NothingCarriesOverBetweenTwoTexts) {
    EncoderJob probe = Job(0), wide = Job(50);
    probe.probeOnly = 1;
    wide.spareHeight = 96;
    const ParameterText fresh = BuildParameterText(Settings(), probe);
    const ParameterText first = BuildParameterText(Settings("Output format=7\nTV mode=1"), wide);
    EXPECT_EQ(std::tuple(first.derived.frameWidth, first.derived.outputFrameRate), std::tuple(720, 25.0));
    const ParameterText second = BuildParameterText(Settings(), probe);
    EXPECT_EQ(second.text, fresh.text);
    EXPECT_EQ(std::tuple(second.derived.frameWidth, second.derived.videoBitrate), std::tuple(0, 1000));
}

// The tail: -endpos follows the source (nine hours up to nine hours, the source's hours rounded up beyond, so a
// long source is never cut), then the mode and the window handle, signed and 64-bit.
TEST(ParameterText, Tail) {
    const std::tuple<double, int, std::int64_t, const char*> rows[] = {
        {0, 1, -2, " -endpos 9:0:0 1 -2"},
        {9 * 3600, 0, 94489280512, " -endpos 9:0:0 0 94489280512"},
        {9 * 3600 + 1, 0, 7, " -endpos 10:0:0 0 7"},
        {2147483647, 0, 7, " -endpos 596524:0:0 0 7"},
    };
    for (const auto& [duration, probe, handle, tail] : rows) {
        EncoderJob job = Job();
        job.sourceDuration = duration;
        job.probeOnly = probe;
        job.windowHandle = handle;
        const std::string text = Convert(Settings(), job);
        EXPECT_TRUE(text.ends_with(std::string("-ofps 25.000000") + tail)) << text;
    }
}

// Values outside their list: the aspect takes the list's first entry, the frame size keeps the source's.
TEST(ParameterText, AspectAndFrameSizeOutsideTheirLists) {
    struct Row {
        int format;
        std::int32_t position; // MPEG and DVD aspect ratio; AVI and MPEG resolution
        const char* aspect;
        int width, height;
    };
    const Row rows[] = {
        {FORMAT_MPEG1, -1, "1/1", 0, 0},     {FORMAT_DVD, -5, "4/3", 720, 480}, {FORMAT_AVI, 13, "", 480, 272},
        {FORMAT_MPEG1, 13, "1/1", 480, 480}, {FORMAT_AVI, 20, "", 0, 0},        {FORMAT_MPEG1, 18, "1/1", 0, 0},
    };
    for (const Row& row : rows) {
        ConversionSettings s = Settings();
        s.outputFormat = row.format;
        s.mpegAspectRatio = s.dvdAspectRatio = s.aviResolution = s.mpegResolution = row.position;
        DerivedValues derived{1, 2, 3, 4, 5};
        DeriveFrameSize(s, derived);
        EXPECT_EQ(std::tuple(DeriveAspectText(s), derived.frameWidth, derived.frameHeight),
                  std::tuple(row.aspect, row.width, row.height))
            << row.format << "/" << row.position;
    }
}

// A path that can't be quoted safely is refused with a message naming it; whatever an accepted path holds,
// splitting the text gives it back whole, in its place.
TEST(ParameterText, Paths) {
    const std::string tooLong = "/" + std::string(255, 'a');
    const std::string refused[] = {"/in/say \"hi\".avi", "/in/two\nlines.avi", "/in/ret\r.avi", tooLong};
    const std::string accepted[] = {
        tooLong.substr(1), "/in/a b/-vf scale=1:1 -o x.avi", "/in/tab\there.avi", "/in/'quote' $(x) ;&.avi", "-o", ""};
    std::vector<std::string> rows(std::begin(refused), std::end(refused));
    rows.insert(rows.end(), std::begin(accepted), std::end(accepted));
    const std::size_t plainCount = SplitParameterText(Convert(Settings())).size();
    for (const std::string& path : rows) {
        const bool refused = path == tooLong || path.find_first_of("\"\n\r") != std::string::npos;
        for (const bool asInput : {true, false}) {
            EncoderJob job = Job();
            (asInput ? job.inputPath : job.outputPath) = path;
            const ParameterText p = BuildParameterText(Settings(), job);
            EXPECT_EQ(p.ok(), !refused) << path;
            EXPECT_TRUE(p.ok() || p.error.find(path) != std::string::npos) << p.error;
            const std::vector<std::string> args = SplitParameterText(p.text);
            EXPECT_EQ(args.size(), refused ? 0 : plainCount) << path;
            EXPECT_EQ(refused ? path : args.at(asInput ? 0 : 2), path);
        }
    }
}

} // namespace
