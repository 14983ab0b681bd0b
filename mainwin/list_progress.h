#pragma once

#include "convert/progress_sink.h"

class CVideoFileList;

// A batch's progress as the main window shows it: in the progress window, and as each file's status in the list.
class ListProgress : public ProgressSink {
public:
    ListProgress(ProgressSink& window, CVideoFileList& list) : m_window(window), m_list(list) {}

    void BatchStarted(const std::string& text) override { m_window.BatchStarted(text); }
    void FilesQueued(const std::vector<int>& rows) override;
    void FileProgress(int row, int percent) override;
    void ShowProgress(const std::string& text, int perMille) override { m_window.ShowProgress(text, perMille); }
    bool ConfirmStop() override { return m_window.ConfirmStop(); }
    void FileFinished(const FileResult& file) override;
    void BatchFinished(const BatchResult& result) override { m_window.BatchFinished(result); }

private:
    ProgressSink& m_window;
    CVideoFileList& m_list;
};
