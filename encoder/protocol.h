#pragma once

// The protocol between the converter and its encoder zezozov, included by both sides.
//
// Reports travel as lines "<code> <value>" on the encoder's standard output; after each one the encoder
// waits for a reply line ("0", or "1" to stop) on its standard input. The exit status tells the converter a
// converted file from a failed one.

// The codes of the encoder's reports.
enum NotifyCode : unsigned {
    NOTIFY_DURATION = 1,   // playing time in whole seconds
    NOTIFY_WIDTH = 2,      // frame width in pixels
    NOTIFY_HEIGHT = 3,     // frame height in pixels
    NOTIFY_FRAME_RATE = 4, // frames per second x 10 000 000
    NOTIFY_POSITION = 6,   // seconds of the current file done so far
};

// Exit statuses of the encoder.
enum EncoderExitStatus {
    ENCODER_OK = 0,
    ENCODER_BAD_PARAMETERS = 2, // the parameter text could not be read (unknown option, missing value, ...)
    ENCODER_BAD_INPUT = 3,      // the input could not be opened, or holds no video
    ENCODER_FAILED = 4,         // FFmpeg failed while converting
    ENCODER_STOPPED = 5,        // stopped on request (a reply of 1)
};
