#include "convert/encoder_reports.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "convert/batch_helpers.h"

int StoreProbeReport(FileTable& table, BatchState& batch, unsigned code, std::int32_t value) {
    if (code < NOTIFY_DURATION || code > NOTIFY_FRAME_RATE)
        return 0;
    VideoFileEntry* entry = table.ProbeEntry();
    if (!entry)
        return 0; // no room for another file: the report has nowhere to go
    if (code == NOTIFY_FRAME_RATE) {
        if (value == 0) {
            batch.probeFailed = 1;
            return 0;
        }
        // A negative rate is an overflow on the encoder's side: store the largest rate it can send.
        const std::int32_t scaled = value > 0 ? value : std::numeric_limits<std::int32_t>::max();
        entry->sourceFrameRate = scaled * 0.0000001;
        return 0;
    }
    if (value <= 0) {
        batch.probeFailed = 1;
        return 0;
    }
    if (code == NOTIFY_DURATION)
        entry->duration = value;
    else if (code == NOTIFY_WIDTH)
        entry->sourceWidth = value;
    else
        entry->sourceHeight = value;
    return 0;
}

ProgressDisplay ComputeProgress(double position, double secondsDone, double totalDuration, std::uint64_t elapsedMs) {
    ProgressDisplay display;
    if (!(totalDuration > 0))
        return display;
    const double p = (position + secondsDone) * 1000 / totalDuration;
    // Beyond the batch's end (or before its start) there is nothing sensible to show.
    if (!(p >= 0 && p <= 1000))
        return display;

    // In double precision, so that any batch length is covered; an estimate too large for 64 bits is clamped.
    const double elapsed = static_cast<double>(elapsedMs);
    double estimate = p == 0 ? std::trunc(totalDuration) * 1000 : std::trunc(elapsed * 1000 / p);
    constexpr double kLargest = 9.0e18;
    if (estimate > kLargest)
        estimate = kLargest;
    const auto estimateMs = static_cast<std::int64_t>(estimate);

    const int m = static_cast<int>(p);
    char finished[32];
    std::snprintf(finished, sizeof finished, "Finished %d.%01d%%", m / 10, m % 10);
    display.show = true;
    display.perMille = m;
    display.text = "Total time:" + FormatSeconds(estimateMs / 1000) +
                   ";Elapsed time:" + FormatSeconds(static_cast<std::int64_t>(elapsedMs / 1000)) + ";" + finished;
    return display;
}
