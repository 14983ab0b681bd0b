#pragma once

// The protocol between the converter and its encoder zezozov, included by both sides.

#include <cstddef>
#include <filesystem>
#include <string>
//
// Reports travel as lines "<code> <value>" (NOTIFY_PROBE_REFUSED adds a text) on the encoder's standard output; after
// each one the encoder waits for a reply line ("0", or "1" to stop) on its standard input; the end of its standard
// input (the program has gone) is a stop too. Every report line is answered, one that doesn't parse with 0. A line in
// either direction longer than kMaxReportLine is a protocol error that ends the encoder. The exit status tells the
// converter a converted file from a failed one.

// The longest line either side accepts, line end included.
inline constexpr std::size_t kMaxReportLine = 4096;

// The codes of the encoder's reports.
enum NotifyCode : unsigned {
    NOTIFY_DURATION = 1,   // playing time in whole seconds
    NOTIFY_WIDTH = 2,      // frame width in pixels
    NOTIFY_HEIGHT = 3,     // frame height in pixels
    NOTIFY_FRAME_RATE = 4, // frames per second x 10 000 000
    NOTIFY_POSITION = 6,   // seconds of the current file done so far
    // A list probe (mode 2) leads the reports of each input with this one, its value the input's place in the list
    // from 0; then come either the four facts above or NOTIFY_PROBE_REFUSED.
    NOTIFY_PROBE_FILE = 7,
    // The input's place again, then, after one space, why it can't be read: "8 <place> <reason>", one line.
    NOTIFY_PROBE_REFUSED = 8,
};

// Exit statuses of the encoder.
enum EncoderExitStatus {
    ENCODER_OK = 0,
    ENCODER_BAD_PARAMETERS = 2, // the parameter text could not be read (unknown option, missing value, ...)
    ENCODER_BAD_INPUT = 3,      // the input could not be opened, or holds no video
    ENCODER_FAILED = 4,         // FFmpeg failed while converting
    ENCODER_STOPPED = 5,        // stopped on request (a reply of 1)
    ENCODER_PROTOCOL_ERROR = 6, // a reply line longer than kMaxReportLine
    ENCODER_WRITE_FAILED = 7,   // the output could not be written whole (a full disk, a write error, its name taken)
    ENCODER_CANNOT_COPY = 8,    // a stream to be copied as it is can't go into the output's container; the last
                                // line of standard error says why, for the user, and nothing was written
};

// The encoder writes its output inside a private folder of its own beside it, named with this prefix and six random
// characters, and gives it the output's name only once it is whole. The program removes any such folder that an
// encoder ended from outside left behind.
inline std::string PrivateFolderPrefix(const std::string& outputPath) {
    const std::filesystem::path path(outputPath);
    return (path.parent_path() / ("." + path.filename().string() + ".zezozov-")).string();
}
