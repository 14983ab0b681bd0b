#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "convert/progress_sink.h"

// A batch's progress as text on a stream (standard error). On a terminal, one line rewritten in place with the
// batch's status text, at most every half second unless the file changed; elsewhere (a log, a pipe) only one line
// per file, and at the end the batch's notes (older files moved to the trash, numbered names, early ends). The stop
// question is answered yes once StopRequested() was called (Ctrl-C), else no.
class TerminalProgress : public ProgressSink {
public:
    // `fileCount` is the number of files the batch converts; `tickCount` a millisecond clock (a monotonic one
    // when not given).
    TerminalProgress(std::ostream& out, bool inPlace, int fileCount, std::function<std::uint64_t()> tickCount = {});

    // The user asked to stop: the next stop question is answered yes.
    void StopRequested() { m_stopRequested = true; }

    void BatchStarted(const std::string& text) override;
    void ShowProgress(const std::string& text, int perMille) override;
    bool ConfirmStop() override { return m_stopRequested; }
    void FileFinished(const FileResult& file) override;
    void BatchFinished(const BatchResult& result) override;

private:
    void Draw();
    void ClearLine();

    std::ostream& m_out;
    bool m_inPlace;
    int m_fileCount;
    std::function<std::uint64_t()> m_tickCount;
    int m_filesDone = 0;
    std::string m_status;
    std::string m_shown; // the line as last drawn, empty when none is on screen
    std::uint64_t m_lastDraw = 0;
    bool m_drawnOnce = false;
    bool m_stopRequested = false;
};
