#include "encoder/progress_reader.h"

#include <charconv>
#include <cstdint>

namespace zezozov {

std::vector<int> ProgressReader::Feed(std::string_view data) {
    std::vector<int> positions;
    m_partial.append(data);
    size_t start = 0;
    for (size_t nl; (nl = m_partial.find('\n', start)) != std::string::npos; start = nl + 1)
        Line(std::string_view(m_partial).substr(start, nl - start), positions);
    m_partial.erase(0, start);
    return positions;
}

void ProgressReader::Line(std::string_view line, std::vector<int>& positions) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line == "progress=end") {
        m_ended = true;
        return;
    }
    // out_time_ms holds microseconds as well (an old FFmpeg naming slip), so either key will do.
    std::string_view value;
    if (line.starts_with("out_time_us="))
        value = line.substr(12);
    else if (line.starts_with("out_time_ms="))
        value = line.substr(12);
    else
        return;
    std::int64_t us = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), us);
    if (ec != std::errc() || end != value.data() + value.size())
        return; // "N/A" before the first frame
    // Before the first frame the time can be negative (audio priming); that is position 0.
    int seconds = us > 0 ? static_cast<int>(us / 1'000'000) : 0;
    if (seconds > m_lastPosition) {
        m_lastPosition = seconds;
        positions.push_back(seconds);
    }
}

std::string WriteFailure(std::string_view line) {
    // FFmpeg's own words for a muxer that could not write, followed by the system's reason after the last ": ".
    static const std::string_view kWriting[] = {"Error writing trailer", "Error closing file",
                                                "av_interleaved_write_frame()",
                                                "Error submitting a packet to the muxer"};
    static const std::string_view kDiskFull[] = {"No space left on device", "Disk quota exceeded"};
    for (std::string_view full : kDiskFull)
        if (line.ends_with(full))
            return "the disk is full";
    for (std::string_view writing : kWriting) {
        const auto colon = line.rfind(": ");
        if (line.starts_with(writing) && colon != std::string_view::npos)
            return std::string(line.substr(colon + 2));
    }
    return {};
}

} // namespace zezozov
