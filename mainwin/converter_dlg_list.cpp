// The main window's handling of the video file list: adding (with a probe per file), removing, moving,
// and the list's right-click menu.

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "settings/conversion_settings.h"
#include "controls/prompts.h"
#include "controls/skin.h"
#include "convert/batch_helpers.h"
#include "convert/encoder_reports.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/video_file_list.h"

namespace {
// The open-file dialog's filters, in Qt's notation; the dialog matches them in any letter case.
const char* const kVideoFilter = "All support files (*.zodi *.avi *.div *.xvid *.mpeg *.mpg *.wmv *.asf *.asx);;"
                                 "AVI file (*.AVI,*.ZodI,*.div,*.Xvid) (*.avi *.zodi *.div *.xvid);;"
                                 "MPEG file (*.MPEG,*.MPG,*.DAT) (*.mpeg *.mpg *.dat);;"
                                 "WMV file (*.WMV,*.ASF,*.ASX) (*.wmv *.asf *.asx)";
} // namespace

void CConverterDlg::OnAddFiles() {
    const QStringList files =
        m_prompts.OpenFileNames(this, QStringLiteral("Import video files"), QString::fromLatin1(kVideoFilter));
    if (!files.isEmpty())
        AddFiles(files);
}

void CConverterDlg::AddFiles(const QStringList& paths) {
    if (m_probing)
        return;
    m_probing = true;
    QStringList failed;
    QString startError;
    for (const QString& path : paths) {
        if (!startError.isEmpty()) {
            failed << path;
            continue;
        }
        const std::string input = QFileInfo(path).absoluteFilePath().toStdString();
        const std::string output = MakeOutputPath(m_outputFolder, input, conversionSettings.outputFormat);
        VideoFileEntry* entry = fileTable.ProbeEntry();
        if (!entry) {
            failed << path;
            continue;
        }
        // Start from nothing, so a file the encoder says nothing about can't inherit an earlier file's facts.
        *entry = VideoFileEntry();
        batchState.probeFailed = 0;
        const EncoderProcess::Result result = RunEncoder(input, output, 0, 0, 1);
        if (result.outcome == EncoderProcess::Outcome::CouldNotStart)
            startError = result.errorText;

        entry = fileTable.ProbeEntry();
        const bool everyFact = entry && entry->duration > 0 && entry->sourceWidth > 0 && entry->sourceHeight > 0 &&
                               entry->sourceFrameRate > 0;
        if (batchState.probeFailed || !everyFact || result.outcome != EncoderProcess::Outcome::Finished) {
            failed << path;
            continue;
        }
        const int number = fileTable.fileCount + 1;
        const QString duration = CVideoFileList::FormatDuration(entry->duration);
        fileTable.AppendProbed(input);
        m_fileList->AppendRow(number, QString::fromStdString(input), duration);
    }
    m_probing = false;

    if (!startError.isEmpty())
        m_prompts.MessageBox(this, tr("The encoder %1 could not be started: %2.").arg(EncoderProgram(), startError),
                             QString(), Prompts::OkButton, Prompts::ErrorIcon);
    for (const QString& path : failed)
        m_prompts.MessageBox(this, tr("Load file %1 failed.").arg(path));
}

void CConverterDlg::OnRemove() {
    if (fileTable.fileCount == 0)
        return;
    const int row = m_fileList->SelectedRow();
    if (row < 0)
        return;
    m_fileList->RemoveRow(row);
    fileTable.Remove(row);
    m_fileList->RenumberFrom(row);
    if (row < fileTable.fileCount) {
        m_fileList->SelectRow(row);
        m_fileList->setFocus();
    } else {
        m_fileList->clearSelection();
    }
}

void CConverterDlg::OnMove(int step) {
    if (fileTable.fileCount < 2)
        return;
    const int row = m_fileList->SelectedRow();
    if (row < 0) {
        m_prompts.MessageBox(this, tr("No item was selected!"), tr("Warning"));
        return;
    }
    const int target = row + step;
    if (target < 0 || target >= fileTable.fileCount) {
        m_fileList->setFocus();
        return;
    }
    m_fileList->SwapTexts(row, target);
    m_fileList->SelectRow(target);
    m_fileList->setFocus();
    fileTable.Swap(row, target);
}

void CConverterDlg::OnListContextMenu() {
    const QPoint point = MenuPoint();
    QMenu menu(this);
    const std::pair<const char*, int> items[] = {{"Add video files to list", ID_LIST_ADD},
                                                 {"Remove video file from list", ID_LIST_REMOVE},
                                                 {"Move up", ID_LIST_MOVE_UP},
                                                 {"Move down", ID_LIST_MOVE_DOWN}};
    for (const auto& [text, id] : items)
        menu.addAction(QString::fromLatin1(text))->setData(id);
    Skin::TrackPopupMenu(&menu, Skin::kRightButton, point.x(), point.y(), this);
}
