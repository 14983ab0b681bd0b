#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"

// The values derived from the settings before each encoder run.
struct DerivedValues {
    int videoBitrate = 0; // kbit/s
    int audioBitrate = 0; // kbit/s
    int frameWidth = 0;   // 0 x 0 keeps the source size
    int frameHeight = 0;
    double outputFrameRate = 0;
};

// Bit rates from the quality ladder of the output format; an index outside the ladder leaves both as they were.
void DeriveBitrates(const ConversionSettings& settings, DerivedValues& derived);
// "1/1", "4/3", "16/9", "2.21/1" for plain MPEG; "4/3", "16/9" for the disc formats; "" for the others.
// An index outside its table takes the table's first entry.
std::string DeriveAspectText(const ConversionSettings& settings);
// The output frame rate; `sourceFrameRate` is the probed rate of the file being converted.
void DeriveFrameRate(const ConversionSettings& settings, double sourceFrameRate, DerivedValues& derived);
// The output frame size (0 x 0 keeps the source size).
void DeriveFrameSize(const ConversionSettings& settings, DerivedValues& derived);
// "+0db:0", "-8db:0", ...: the gain part of every audio filter option.
std::string VolumeText(int volume);

// One encoder run: everything the parameter text depends on besides the settings.
struct EncoderJob {
    std::string inputPath;
    std::string outputPath;
    double sourceFrameRate = 0; // the probed rate of the file; 0 while it is being probed
    double sourceDuration = 0;  // the probed playing time in seconds; 0 while it is being probed
    int spareWidth = 0;         // letter-box room, see ComputeLetterboxSpare
    int spareHeight = 0;
    int probeOnly = 0; // 0: convert the input, 1: probe it, 2: probe every file of probeList
    std::vector<std::string> probeList;
    std::int64_t windowHandle = 0;
};

struct ParameterText {
    std::string text;      // the whole parameter text; empty when refused
    std::string error;     // why the job was refused (a path that can't be quoted safely); empty on success
    DerivedValues derived; // the encoder values the text was built from
    bool ok() const { return error.empty(); }
};

inline constexpr std::size_t kMaxPathLength = 255;

// Why `path` can't be wrapped in double quotes safely (a quote, a line break, too long), or empty when it can.
std::string PathProblem(const std::string& path);

// The encoder parameter text for `job`: derives the bit rates, frame rate and frame size from the settings
// afresh (nothing carries over from an earlier call), then assembles head, format block, frame-rate option,
// video filter and tail. A path holding a double quote or a line break, or longer than kMaxPathLength, is
// refused with a message naming it.
ParameterText BuildParameterText(const ConversionSettings& settings, const EncoderJob& job);

// The hours of -endpos: 9 for sources up to nine hours, the source's hours rounded up beyond that, so that a long
// source is never cut.
std::int64_t EndPositionHours(double sourceDuration);

// Splits a parameter text into arguments: blanks separate, double quotes group (and are dropped).
std::vector<std::string> SplitParameterText(const std::string& text);
