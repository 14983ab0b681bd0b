#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the list knows about one source file.
struct VideoFileEntry {
    std::string path;
    double duration = 0; // seconds
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
    double sourceFrameRate = 0; // frames per second
};

// The batch: one entry per list row, in list order. Grows as needed. Entry `fileCount` is the one the
// running probe fills; it becomes a row when the probe succeeds.
struct FileTable {
    // A probe report for an entry at or beyond this index is dropped.
    static constexpr int kMaxFiles = 100000;

    std::vector<VideoFileEntry> entries; // at least fileCount entries
    int fileCount = 0;
    double totalDuration = 0;

    // The entry the next probe fills (entry fileCount), created when missing; null at kMaxFiles.
    VideoFileEntry* ProbeEntry();
    // Makes the probed entry a row: adds `path`, counts it, adds its duration to totalDuration.
    void AppendProbed(const std::string& path);
    // Removes `rows` (in ascending order), moving the later rows up; totalDuration drops by their durations. Rows that
    // don't exist are passed over.
    void RemoveRows(const std::vector<int>& rows);
    void Remove(int row) { RemoveRows({row}); }
    // Swaps two rows (path and all four facts).
    void Swap(int a, int b);
};
