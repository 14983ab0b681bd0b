#include "mainwin/list_progress.h"

#include <QCoreApplication>

#include "mainwin/video_file_list.h"

using Status = CVideoFileList::Status;

void ListProgress::FilesQueued(const std::vector<int>& rows) {
    for (int row : rows)
        m_list.SetStatus(row, Status::Waiting);
}

void ListProgress::FileProgress(int row, int percent) {
    m_list.SetStatus(row, Status::Converting, QString(), percent);
}

void ListProgress::FileFinished(const FileResult& file) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("ListProgress", text); };
    const QString why = QString::fromStdString(file.errorText);
    switch (file.outcome) {
    case FileOutcome::Converted:
        m_list.SetStatus(file.row, Status::Converted, QString::fromStdString(file.outputPath));
        break;
    case FileOutcome::Failed:
        m_list.SetStatus(file.row, Status::Failed, why);
        break;
    case FileOutcome::Stopped:
        m_list.SetStatus(file.row, Status::Stopped, tr("Stopped by the user; nothing of it was kept."));
        break;
    case FileOutcome::NotStarted:
        // The file whose encoder could not be started failed with that reason; the ones after it were not reached.
        if (why.isEmpty())
            m_list.SetStatus(file.row, Status::NotConverted, tr("The batch ended before this file."));
        else
            m_list.SetStatus(file.row, Status::Failed, why);
        break;
    }
    m_window.FileFinished(file);
}
