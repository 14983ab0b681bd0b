#include "convert/encoder_reports.h"

#include <gtest/gtest.h>

namespace {

TEST(StoreProbeReport, FactsAndFailures) {
    struct Case {
        unsigned code;
        std::int32_t value;
        double duration;
        int width, height;
        double frameRate;
        int probeFailed;
    };
    // The entry starts as {1, 2, 3, 4}: a value that is no usable fact leaves it alone.
    const Case cases[] = {
        {NOTIFY_DURATION, 5400, 5400.0, 2, 3, 4, 0},
        {NOTIFY_DURATION, 0, 1, 2, 3, 4, 1},
        {NOTIFY_DURATION, -7, 1, 2, 3, 4, 1},
        {NOTIFY_WIDTH, 640, 1, 640, 3, 4, 0},
        {NOTIFY_WIDTH, 0, 1, 2, 3, 4, 1},
        {NOTIFY_HEIGHT, 2147483647, 1, 2, 2147483647, 4, 0},
        {NOTIFY_HEIGHT, -1, 1, 2, 3, 4, 1},
        {NOTIFY_FRAME_RATE, 250000000, 1, 2, 3, 25.0, 0},
        {NOTIFY_FRAME_RATE, 299700300, 1, 2, 3, 29.97003, 0},
        {NOTIFY_FRAME_RATE, -5, 1, 2, 3, 214.7483647, 0},
        {NOTIFY_FRAME_RATE, 0, 1, 2, 3, 4, 1},
        {0, 0, 1, 2, 3, 4, 0},
        {5, -1, 1, 2, 3, 4, 0},
        {NOTIFY_POSITION, 0, 1, 2, 3, 4, 0},
        {9, 0, 1, 2, 3, 4, 0},
    };
    for (const Case& c : cases) {
        FileTable table;
        table.entries.push_back({"/first.avi", 10, 10, 10, 10});
        table.fileCount = 1;
        table.entries.push_back({"", 1, 2, 3, 4});
        BatchState batch;
        EXPECT_EQ(StoreProbeReport(table, batch, c.code, c.value), 0);
        const VideoFileEntry& e = table.entries[1];
        const std::string trace = std::to_string(c.code) + "/" + std::to_string(c.value);
        EXPECT_DOUBLE_EQ(e.duration, c.duration) << trace;
        EXPECT_EQ(e.sourceWidth, c.width) << trace;
        EXPECT_EQ(e.sourceHeight, c.height) << trace;
        EXPECT_DOUBLE_EQ(e.sourceFrameRate, c.frameRate) << trace;
        EXPECT_EQ(batch.probeFailed, c.probeFailed) << trace;
        EXPECT_DOUBLE_EQ(table.entries[0].duration, 10) << trace;
    }
}

TEST(StoreProbeReport, GrowsTheTableAndDropsReportsBeyondIt) {
    FileTable table;
    BatchState batch;
    StoreProbeReport(table, batch, NOTIFY_DURATION, 300);
    ASSERT_EQ(table.entries.size(), 1u);
    table.AppendProbed("/a.avi");
    StoreProbeReport(table, batch, NOTIFY_DURATION, 120);
    ASSERT_EQ(table.entries.size(), 2u);
    EXPECT_DOUBLE_EQ(table.entries[1].duration, 120);
    StoreProbeReport(table, batch, 9, 1);
    EXPECT_EQ(table.entries.size(), 2u);

    table.fileCount = FileTable::kMaxFiles;
    EXPECT_EQ(table.ProbeEntry(), nullptr);
    EXPECT_EQ(StoreProbeReport(table, batch, NOTIFY_DURATION, 0), 0);
    EXPECT_EQ(batch.probeFailed, 0);
    EXPECT_EQ(table.entries.size(), 2u);
}

TEST(FileTable, RowsKeepTheirFactsAndTheTotal) {
    FileTable table;
    const std::pair<const char*, double> files[] = {{"/a.avi", 10}, {"/b.avi", 20}, {"/c.avi", 30}};
    for (const auto& [path, duration] : files) {
        table.ProbeEntry()->duration = duration;
        table.ProbeEntry()->sourceWidth = static_cast<int>(duration);
        table.AppendProbed(path);
    }
    ASSERT_EQ(table.fileCount, 3);
    EXPECT_DOUBLE_EQ(table.totalDuration, 60);

    table.Remove(1);
    ASSERT_EQ(table.fileCount, 2);
    EXPECT_DOUBLE_EQ(table.totalDuration, 40);
    EXPECT_EQ(table.entries[1].path, "/c.avi");

    table.Swap(0, 1);
    EXPECT_EQ(table.entries[0].path, "/c.avi");
    EXPECT_EQ(table.entries[0].sourceWidth, 30);
    EXPECT_EQ(table.entries[1].path, "/a.avi");
    EXPECT_DOUBLE_EQ(table.entries[1].duration, 10);

    // Rows that don't exist change nothing.
    table.Remove(2);
    table.Remove(-1);
    table.Swap(0, 2);
    EXPECT_EQ(table.fileCount, 2);
    EXPECT_DOUBLE_EQ(table.totalDuration, 40);
    EXPECT_EQ(table.entries[0].path, "/c.avi");
}

TEST(ComputeProgress, Display) {
    struct Case {
        double position, secondsDone, totalDuration;
        std::uint64_t elapsedMs;
        bool show;
        int perMille;
        const char* text;
    };
    const Case cases[] = {
        // Two files of 300 s, the first done, 150 s into the second.
        {150, 300, 600, 90000, true, 750, "Total time:00:02:00;Elapsed time:00:01:30;Finished 75.0%"},
        // Nothing done yet: the estimate is the batch's whole playing time.
        {0, 0, 600.7, 5000, true, 0, "Total time:00:10:00;Elapsed time:00:00:05;Finished 0.0%"},
        {300, 300, 600, 120000, true, 1000, "Total time:00:02:00;Elapsed time:00:02:00;Finished 100.0%"},
        {1000.4, 0, 1000, 120000, false, 0, ""},
        {300, 0, 600, 7200000, true, 500, "Total time:04:00:00;Elapsed time:02:00:00;Finished 50.0%"},
        {123, 0.5, 1000, 12350, true, 123, "Total time:00:01:40;Elapsed time:00:00:12;Finished 12.3%"},
        {1, 0, 1000000, 3600000, true, 0, "Total time:1000000:00:00;Elapsed time:01:00:00;Finished 0.0%"},
        {10, 0, 0, 1000, false, 0, ""},
        {10, 0, -5, 1000, false, 0, ""},
        {-10, 0, 600, 1000, false, 0, ""},
    };
    for (const Case& c : cases) {
        const ProgressDisplay d = ComputeProgress(c.position, c.secondsDone, c.totalDuration, c.elapsedMs);
        EXPECT_EQ(d.show, c.show) << c.position << "/" << c.totalDuration;
        if (!c.show)
            continue;
        EXPECT_EQ(d.perMille, c.perMille) << c.position << "/" << c.totalDuration;
        EXPECT_EQ(d.text, c.text);
    }
}

} // namespace
