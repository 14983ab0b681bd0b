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

void FileTable::Remove(int row) {
    if (row < 0 || row >= fileCount)
        return;
    totalDuration -= entries[static_cast<std::size_t>(row)].duration;
    entries.erase(entries.begin() + row);
    --fileCount;
}

void FileTable::Swap(int a, int b) {
    if (a < 0 || b < 0 || a >= fileCount || b >= fileCount)
        return;
    std::swap(entries[static_cast<std::size_t>(a)], entries[static_cast<std::size_t>(b)]);
}
