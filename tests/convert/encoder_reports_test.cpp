#include "convert/encoder_reports.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

// A fact goes into the entry the running probe fills (here the second, which starts as 1 s, 2 x 3, 4 fps); a value
// that is no usable fact fails the probe and leaves the entry alone; other codes change nothing. A negative rate
// is an overflow on the encoder's side: the largest rate.
TEST(StoreProbeReport, FactsAndFailures) {
    const std::tuple<unsigned, std::int32_t, const char*> rows[] = {
        {NOTIFY_DURATION, 5400, "5400 s 2x3 4 fps"},
        {NOTIFY_DURATION, 0, "1 s 2x3 4 fps failed"},
        {NOTIFY_WIDTH, 640, "1 s 640x3 4 fps"},
        {NOTIFY_WIDTH, 0, "1 s 2x3 4 fps failed"},
        {NOTIFY_HEIGHT, 2147483647, "1 s 2x2147483647 4 fps"},
        {NOTIFY_FRAME_RATE, 299700300, "1 s 2x3 29.97003 fps"},
        {NOTIFY_FRAME_RATE, -5, "1 s 2x3 214.7483647 fps"},
        {NOTIFY_FRAME_RATE, 0, "1 s 2x3 4 fps failed"},
        {0, 0, "1 s 2x3 4 fps"},
        {NOTIFY_POSITION + 3, -1, "1 s 2x3 4 fps"},
    };
    for (const auto& [code, value, expected] : rows) {
        FileTable table;
        table.entries = {{"/first.avi", 10, 10, 10, 10}, {"", 1, 2, 3, 4}};
        table.fileCount = 1;
        BatchState batch;
        EXPECT_EQ(StoreProbeReport(table, batch, code, value), 0);
        const VideoFileEntry& e = table.entries[1];
        std::ostringstream facts;
        facts.precision(10);
        facts << e.duration << " s " << e.sourceWidth << "x" << e.sourceHeight << " " << e.sourceFrameRate << " fps"
              << (batch.probeFailed ? " failed" : "") << (table.entries[0].duration == 10 ? "" : " first changed");
        EXPECT_EQ(facts.str(), expected) << code << " " << value;
    }
}

TEST(StoreProbeReport, GrowsTheTableAndDropsReportsBeyondIt) {
    FileTable table;
    BatchState batch;
    StoreProbeReport(table, batch, NOTIFY_DURATION, 300);
    table.AppendProbed("/a.avi");
    StoreProbeReport(table, batch, NOTIFY_DURATION, 120);
    ASSERT_EQ(table.entries.size(), 2u);
    EXPECT_EQ(table.entries[1].duration, 120);
    table.fileCount = FileTable::kMaxFiles;
    EXPECT_EQ(table.ProbeEntry(), nullptr);
    EXPECT_EQ(StoreProbeReport(table, batch, NOTIFY_DURATION, 0), 0);
    EXPECT_EQ(std::tuple(batch.probeFailed, table.entries.size()), std::tuple(0, 2u));
}

TEST(FileTable, RowsKeepTheirFactsAndTheTotal) {
    FileTable table;
    for (const auto& [path, duration] : {std::pair{"/a.avi", 10}, {"/b.avi", 20}, {"/c.avi", 30}}) {
        *table.ProbeEntry() = {"", double(duration), duration, 0, 0};
        table.AppendProbed(path);
    }
    const auto rows = [&] {
        std::ostringstream text;
        text << table.fileCount << " rows, " << table.totalDuration << " s:";
        for (int i = 0; i < table.fileCount; ++i)
            text << " " << table.entries[i].path << " " << table.entries[i].duration << " "
                 << table.entries[i].sourceWidth;
        return text.str();
    };
    EXPECT_EQ(rows(), "3 rows, 60 s: /a.avi 10 10 /b.avi 20 20 /c.avi 30 30");
    table.Remove(1);
    EXPECT_EQ(rows(), "2 rows, 40 s: /a.avi 10 10 /c.avi 30 30");
    table.Swap(0, 1);
    // Rows that don't exist change nothing.
    table.Remove(2);
    table.Remove(-1);
    table.Swap(0, 2);
    EXPECT_EQ(rows(), "2 rows, 40 s: /c.avi 30 30 /a.avi 10 10");
}

TEST(ComputeProgress, Display) {
    struct Row {
        double position, secondsDone, totalDuration;
        std::uint64_t elapsedMs;
        const char* text; // "" when nothing is shown
        int perMille;
    };
    // Two files of 300 s, the first done, 150 s into the second; nothing done yet: the estimate is the batch's whole
    // playing time; beyond the batch's end or before its start, or without a total, nothing is shown.
    const Row rows[] = {
        {150, 300, 600, 90000, "Total time:00:02:00;Elapsed time:00:01:30;Finished 75.0%", 750},
        {0, 0, 600.7, 5000, "Total time:00:10:00;Elapsed time:00:00:05;Finished 0.0%", 0},
        {300, 300, 600, 120000, "Total time:00:02:00;Elapsed time:00:02:00;Finished 100.0%", 1000},
        {300, 0, 600, 7200000, "Total time:04:00:00;Elapsed time:02:00:00;Finished 50.0%", 500},
        {123, 0.5, 1000, 12350, "Total time:00:01:40;Elapsed time:00:00:12;Finished 12.3%", 123},
        {1, 0, 1000000, 3600000, "Total time:1000000:00:00;Elapsed time:01:00:00;Finished 0.0%", 0},
        {1000.4, 0, 1000, 120000, "", 0},
        {10, 0, 0, 1000, "", 0},
        {-10, 0, 600, 1000, "", 0},
    };
    for (const Row& row : rows) {
        const ProgressDisplay d = ComputeProgress(row.position, row.secondsDone, row.totalDuration, row.elapsedMs);
        EXPECT_EQ(std::tuple(d.show, d.text, d.perMille), std::tuple(*row.text != 0, row.text, row.perMille))
            << row.position << " of " << row.totalDuration;
    }
}

} // namespace
