#pragma once

// Exit statuses of the zezozov encoder; the program tells a converted file from a failed one by them.
enum EncoderExitStatus {
    ENCODER_OK = 0,
    ENCODER_BAD_PARAMETERS = 2, // the parameter text could not be read (unknown option, missing value, ...)
    ENCODER_BAD_INPUT = 3,      // the input could not be opened, or holds no video
    ENCODER_FAILED = 4,         // FFmpeg failed while converting
    ENCODER_STOPPED = 5,        // stopped on request (a reply of 1)
};
