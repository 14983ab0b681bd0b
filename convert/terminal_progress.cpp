#include "convert/terminal_progress.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr std::uint64_t kRedrawMs = 500;

std::uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

TerminalProgress::TerminalProgress(std::ostream& out, bool inPlace, int fileCount,
                                   std::function<std::uint64_t()> tickCount)
    : m_out(out), m_inPlace(inPlace), m_fileCount(fileCount),
      m_tickCount(tickCount ? std::move(tickCount) : SteadyMilliseconds) {}

void TerminalProgress::BatchStarted(const std::string& text) {
    m_filesDone = 0;
    m_status = text;
    Draw();
}

void TerminalProgress::ShowProgress(const std::string& text, int) {
    if (text == m_status)
        return;
    m_status = text;
    if (m_drawnOnce && m_tickCount() - m_lastDraw < kRedrawMs)
        return;
    Draw();
}

void TerminalProgress::FileFinished(const FileResult& file) {
    ++m_filesDone;
    ClearLine();
    switch (file.outcome) {
    case FileOutcome::Converted:
        m_out << "converted " << file.inputPath << " -> " << file.outputPath << '\n';
        break;
    case FileOutcome::Failed:
        m_out << "not converted " << file.inputPath << ": " << file.errorText << '\n';
        break;
    case FileOutcome::Stopped:
        m_out << "stopped " << file.inputPath << "; its partial output was removed\n";
        break;
    case FileOutcome::NotStarted:
        m_out << "not started " << file.inputPath << (file.errorText.empty() ? "" : ": ") << file.errorText << '\n';
        break;
    }
    m_out.flush();
    if (m_filesDone < m_fileCount && file.outcome != FileOutcome::Stopped && file.outcome != FileOutcome::NotStarted)
        Draw();
}

void TerminalProgress::BatchFinished(const BatchResult& result) {
    ClearLine();
    // What the window's end message adds: trashed older files, numbered names, sources that ended early.
    if (!result.notes.empty())
        m_out << result.notes.substr(result.notes.find_first_not_of('\n')) << '\n';
}

void TerminalProgress::Draw() {
    if (!m_inPlace)
        return;
    const std::string line = "[" + std::to_string(std::min(m_filesDone + 1, m_fileCount)) + "/" +
                             std::to_string(m_fileCount) + "] " + m_status;
    // Blanks over whatever the last, longer line left behind.
    const std::size_t blanks = m_shown.size() > line.size() ? m_shown.size() - line.size() : 0;
    m_out << '\r' << line << std::string(blanks, ' ');
    if (blanks)
        m_out << '\r' << line;
    m_out.flush();
    m_shown = line;
    m_lastDraw = m_tickCount();
    m_drawnOnce = true;
}

void TerminalProgress::ClearLine() {
    if (!m_inPlace || m_shown.empty())
        return;
    m_out << '\r' << std::string(m_shown.size(), ' ') << '\r';
    m_shown.clear();
}
