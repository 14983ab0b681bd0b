#pragma once

#include <cstdint>
#include <string>

#include "convert/file_table.h"
#include "encoder/protocol.h"

// State shared by a running batch and the encoder's reports.
struct BatchState {
    int cancelRequested = 0;
    std::uint64_t batchStartTicks = 0; // monotonic milliseconds
    int currentFileIndex = 0;
    double secondsDone = 0;
    int probeFailed = 0;
    double lastPosition = 999; // position of the last report shown; never reset
    int reportCounter = 0;     // position reports, for the pump of every 100th
};

// A fact report (codes 1 to 4): stores the value into the entry the running probe fills, or sets
// probeFailed for a value that is no usable fact. Other codes change nothing. Answers the reply (always 0).
int StoreProbeReport(FileTable& table, BatchState& batch, unsigned code, std::int32_t value);

// What a position report shows.
struct ProgressDisplay {
    bool show = false; // false: leave the display alone (p above 1000, or no total duration)
    int perMille = 0;  // bar position, 0 to 1000
    std::string text;  // "Total time:...;Elapsed time:...;Finished 75.0%"
};

// The display for a position report at `position` seconds into the current file, `elapsedMs` after the batch
// started.
ProgressDisplay ComputeProgress(double position, double secondsDone, double totalDuration, std::uint64_t elapsedMs);

// The text the progress window starts each batch with.
inline constexpr const char* kInitialProgressText = "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%";
