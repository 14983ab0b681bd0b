#include "convert/file_table.h"

#include <utility>

VideoFileEntry* FileTable::ProbeEntry() {
    if (fileCount < 0 || fileCount >= kMaxFiles)
        return nullptr;
    const auto index = static_cast<std::size_t>(fileCount);
    if (entries.size() <= index)
        entries.resize(index + 1);
    return &entries[index];
}

void FileTable::AppendProbed(const std::string& path) {
    VideoFileEntry* entry = ProbeEntry();
    if (!entry)
        return;
    entry->path = path;
    ++fileCount;
    totalDuration += entry->duration;
}

void FileTable::RemoveRows(const std::vector<int>& rows) {
    // One pass for any number of rows: each row kept moves up once.
    auto next = rows.begin(); // the next row to remove
    int kept = 0;
    for (int row = 0; row < fileCount; ++row) {
        while (next != rows.end() && *next < row)
            ++next;
        VideoFileEntry& entry = entries[static_cast<std::size_t>(row)];
        if (next != rows.end() && *next == row) {
            totalDuration -= entry.duration;
            continue;
        }
        if (kept != row)
            entries[static_cast<std::size_t>(kept)] = std::move(entry);
        ++kept;
    }
    entries.erase(entries.begin() + kept, entries.begin() + fileCount);
    fileCount = kept;
}

void FileTable::Swap(int a, int b) {
    if (a < 0 || b < 0 || a >= fileCount || b >= fileCount)
        return;
    std::swap(entries[static_cast<std::size_t>(a)], entries[static_cast<std::size_t>(b)]);
}
