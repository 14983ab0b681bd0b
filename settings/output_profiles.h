#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"

// The output formats, in list order; the number is what `outputFormat` stores.
enum OutputFormat {
    FORMAT_AVI = 0,
    FORMAT_MPEG1 = 1,
    FORMAT_MPEG2 = 2,
    FORMAT_ZODI = 3,
    FORMAT_XVID = 4,
    FORMAT_VCD = 5,
    FORMAT_SVCD = 6,
    FORMAT_DVD = 7,
    FORMAT_WMV = 8,
    FORMAT_ASF = 9,
    FORMAT_MP4 = 10,
    FORMAT_MKV = 11,
    FORMAT_WEBM = 12,
};
inline constexpr int kFormatCount = FORMAT_WEBM + 1;

// The groups whose formats share lists and rules.
enum class FormatGroup {
    AviFamily,    // AVI, ZodI, Xvid
    PlainMpeg,    // MPEG1, MPEG2
    Disc,         // VCD, SVCD, DVD
    WindowsMedia, // WMV, ASF
    Hd,           // MP4, MKV, WebM: constant quality, today's codecs
};

bool IsAviFamily(int format);    // AVI, ZodI, Xvid
bool IsPlainMpeg(int format);    // MPEG1, MPEG2
bool IsDiscFormat(int format);   // VCD, SVCD, DVD
bool IsWindowsMedia(int format); // WMV, ASF
bool IsHdFormat(int format);     // MP4, MKV, WebM

// The format combo entries, in order ("AVI Format (*.avi)", ...).
const std::vector<std::string>& FormatTexts();

// The settings a dialog shows a list for.
enum class SettingKind { Quality, VideoCodec, AudioCodec, TvMode, Resolution, FrameRate, Aspect };

using SettingsField = std::int32_t ConversionSettings::*;

// What a dialog shows for one setting under one format.
struct ChoiceList {
    enum class Binding {
        Field,  // the selection is the value of `field`; a pick is written back to it
        Fixed,  // always position 0, nothing stored
        TvMode, // the selection is `tvMode` (disc resolution and frame rate); nothing stored
    };
    std::vector<std::string> texts;
    Binding binding = Binding::Fixed;
    SettingsField field = nullptr; // set for Binding::Field
    bool enabled = false;

    // The position to show for `settings`, as stored (no clamping: it may lie outside `texts`).
    std::int32_t Selection(const ConversionSettings& settings) const;
};

ChoiceList GetChoiceList(int format, SettingKind kind);
// The list for the settings' format as the settings dialog shows it: while the video is copied, resolution and
// frame rate show "Original", disabled, and store nothing.
ChoiceList GetChoiceList(const ConversionSettings& settings, SettingKind kind);

// The field a user pick under `format` is written to, or null when the list stores nothing.
SettingsField BindingField(int format, SettingKind kind);

// The volume slider's label: "-20db" ... "-1db", "+0db" ... "+20db".
std::string FormatVolumeLabel(int volume);

// The numbers behind the lists. The encoder parameter text reads the same rows the dialogs show, so a
// label and the value it stands for can never drift apart.

// One step of a quality ladder.
struct QualityStep {
    const char* name; // "Lowest", "Lower", ...
    int videoBitrate; // kbit/s
    int audioBitrate; // kbit/s
};
// The bit-rate ladder of `format` (empty for the constant-quality formats and for a value outside the formats); it
// is indexed by the field BindingField(format, SettingKind::Quality).
const std::vector<QualityStep>& QualityLadder(int format);
// The list text of ladder position `position`: "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)".
std::string QualityText(int position, const QualityStep& step);

// One step of the constant-quality ladder of MP4, MKV and WebM: a CRF per video codec, chosen so that a step looks
// about the same whichever codec writes it, and an audio bit rate per audio codec.
struct ConstantQualityStep {
    const char* text; // the list text, saying what the step is for
    int x264Crf;
    int x265Crf;
    int vp9Crf;
    int av1Crf;
    int aacBitrate;  // kbit/s
    int opusBitrate; // kbit/s
};
// The ladder of the constant-quality formats, from the smallest file to the best picture.
const std::vector<ConstantQualityStep>& ConstantQualityLadder();
// The step that stands for a stored position outside the ladder: the first run's.
inline constexpr int kDefaultConstantQuality = 3;

// The codecs of the constant-quality formats' lists.
enum class Codec { H264, H265, Vp9, Av1, Aac, Opus, Copy };
// "H.264", "H.265 (HEVC)", "VP9", "AV1", "AAC", "Opus", "Copy (no re-encoding)".
const char* CodecText(Codec codec);
// The codec the video (or audio) list of a constant-quality format holds at the stored position; a position outside
// the list stands for its first codec. Empty under the other formats, whose codecs are named by position alone.
std::optional<Codec> ChosenCodec(const ConversionSettings& settings, SettingKind kind);
// Whether the video (the audio) is taken over as it is, unconverted.
bool CopiesVideo(const ConversionSettings& settings);
bool CopiesAudio(const ConversionSettings& settings);

// A frame size; 0 x 0 keeps the source size ("Original").
struct FrameSize {
    int width;
    int height;
};
// The frame sizes of the resolution list of `format`, in list order. Disc formats: NTSC, then PAL; any value
// outside the ten formats gets the AVI family's list.
const std::vector<FrameSize>& ResolutionTable(int format);

struct FrameRateChoice {
    const char* text;
    double rate; // frames per second; 0 for "Original" (the source's own rate, adjusted, or its own timing)
};
// The frame-rate list of `format`, in list order. Disc formats: NTSC, then PAL. Windows Media formats and
// values outside the ten formats: "Auto" alone (the source's timestamps are kept).
const std::vector<FrameRateChoice>& FrameRateTable(int format);

struct AspectChoice {
    const char* text;  // "4:3    (Standard TV)"
    const char* ratio; // "4/3", as the encoder reads it
};
// The aspect list of plain MPEG and of the disc formats; empty for every other format.
const std::vector<AspectChoice>& AspectTable(int format);

// The block of the encoder parameter text a format writes (convert/parameter_text.cpp has one per shape).
enum class EncoderBlock { Avi, Zodi, Xvid, Mpeg1, Mpeg2, Vcd, Svcd, Dvd, WindowsMedia, ConstantQuality };

// A codec list: its texts in order, and the field a pick is stored in (null: fixed at position 0). The
// constant-quality formats name each entry's codec as well.
struct CodecList {
    std::vector<std::string> texts;
    SettingsField field = nullptr;
    std::vector<Codec> codecs; // empty, or one per text
};

// One list of rows (sizes, rates, aspects) and how its selection is bound.
template <typename Row>
struct RowList {
    const std::vector<Row>* rows = nullptr;
    ChoiceList::Binding binding = ChoiceList::Binding::Fixed;
    SettingsField field = nullptr; // set for Binding::Field
};

// Everything that makes one output format: its entry in the format lists, how its outputs are named, its group,
// the lists the dialogs show for it with the fields they store in, and the block of the encoder parameter text it
// writes. Adding a format is adding one of these (and its OutputFormat number).
struct FormatDescription {
    OutputFormat format;
    const char* text;        // the format list's entry, "AVI Format (*.avi)"
    const char* extension;   // of the output files, without the dot
    const char* commandName; // the command line's --format name
    FormatGroup group;
    EncoderBlock block;
    const std::vector<QualityStep>* ladder; // null: the constant-quality ladder
    SettingsField qualityField;
    CodecList video;
    CodecList audio;
    RowList<FrameSize> resolution;
    RowList<FrameRateChoice> frameRate;
    RowList<AspectChoice> aspect; // no rows: the list shows "None"
    const char* muxer = nullptr;  // constant-quality formats: FFmpeg's muxer, as -lavfopts format= names it
    bool indexFirst = false;      // the index before the media data, so that playing starts while downloading
};

// The description of `format`; null for a value outside the formats.
const FormatDescription* DescribeFormat(int format);
