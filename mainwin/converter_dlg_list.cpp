// The main window's handling of the video file list: adding (with a probe per file), removing, moving,
// and the list's right-click menu.

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "controls/link_opener.h"
#include "controls/prompts.h"
#include "controls/skin.h"
#include "convert/batch_helpers.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/kept_list.h"
#include "mainwin/video_file_list.h"

namespace {
// The open-file dialog's filters, in Qt's notation; the dialog matches them in any letter case. Today's sources
// (phones, cameras, downloads) are in "All support files" as well, and "All files" comes last.
const char* const kVideoFilter =
    "All support files (*.zodi *.avi *.div *.xvid *.mpeg *.mpg *.wmv *.asf *.asx *.mp4 *.m4v *.mov *.mkv *.webm *.ts "
    "*.mts *.m2ts *.3gp *.flv *.vob *.ogv);;"
    "AVI file (*.AVI,*.ZodI,*.div,*.Xvid) (*.avi *.zodi *.div *.xvid);;"
    "MPEG file (*.MPEG,*.MPG,*.DAT) (*.mpeg *.mpg *.dat);;"
    "WMV file (*.WMV,*.ASF,*.ASX) (*.wmv *.asf *.asx);;"
    "Other video files (*.mp4 *.m4v *.mov *.mkv *.webm *.ts *.mts *.m2ts *.3gp *.flv *.vob *.ogv);;"
    "All files (*)";
} // namespace

namespace {
// The rows "Convert failed files again" converts.
constexpr std::initializer_list<CVideoFileList::Status> kNotConverted = {
    CVideoFileList::Status::Failed, CVideoFileList::Status::Stopped, CVideoFileList::Status::NotConverted};
} // namespace

QString CConverterDlg::VideoFileFilter() {
    return QString::fromLatin1(kVideoFilter);
}

void CConverterDlg::OnAddFiles() {
    const QStringList files = m_prompts.OpenFileNames(this, QStringLiteral("Import video files"), VideoFileFilter());
    if (!files.isEmpty())
        AddFiles(files);
}

void CConverterDlg::AddFiles(const QStringList& paths) {
    std::vector<std::string> names;
    for (const QString& path : paths)
        names.push_back(QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString());
    AddFiles(names);
}

void CConverterDlg::AddFiles(const std::vector<std::string>& paths) {
    if (m_probing)
        return;
    m_probing = true;
    QList<QPair<QString, QString>> failed; // path and why
    QString startError;
    for (const std::string& name : paths) {
        const QString path = QFile::decodeName(name.c_str());
        if (!startError.isEmpty()) {
            failed.append({path, tr("The encoder could not be started.")});
            continue;
        }
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(name, ec);
        const std::string input = ec ? name : absolute.lexically_normal().string();
        m_batch->SetWindowHandle(static_cast<std::int64_t>(winId()));
        const ConversionBatch::ProbeResult probe = m_batch->Probe(input);
        if (probe.run.outcome == EncoderProcess::Outcome::CouldNotStart) {
            startError = probe.run.errorText;
            failed.append({path, tr("The encoder could not be started.")});
            continue;
        }
        if (!probe.accepted) {
            failed.append({path, QString::fromStdString(probe.reason)});
            continue;
        }
        AppendListed(input);
        SaveList(); // row by row: a crash in the middle of a long add keeps the rows listed so far
    }
    m_probing = false;

    if (!startError.isEmpty())
        m_prompts.MessageBox(this, tr("The encoder %1 could not be started: %2.").arg(m_encoder.Program(), startError),
                             QString(), Prompts::OkButton, Prompts::ErrorIcon);
    for (const auto& [path, why] : failed)
        m_prompts.MessageBox(this, tr("Load file %1 failed.").arg(path) + QLatin1Char('\n') + why);
}

void CConverterDlg::AppendListed(const std::string& path) {
    const int number = m_files.fileCount + 1;
    m_files.AppendProbed(path);
    const VideoFileEntry& entry = m_files.entries[static_cast<std::size_t>(number - 1)];
    m_fileList->AppendRow(number, QFile::decodeName(path.c_str()),
                          QString::fromStdString(FormatSeconds(static_cast<std::int64_t>(entry.duration))));
}

QStringList CConverterDlg::KeepListIn(const std::string& file) {
    QStringList leftOut;
    for (const VideoFileEntry& kept : LoadKeptList(file)) {
        std::error_code ec;
        if (!std::filesystem::exists(kept.path, ec)) {
            leftOut << QFile::decodeName(kept.path.c_str());
            continue;
        }
        VideoFileEntry* entry = m_files.ProbeEntry();
        if (!entry)
            break;
        *entry = kept;
        AppendListed(kept.path);
    }
    m_keptList = file;
    if (!leftOut.isEmpty())
        SaveList(); // named once: the next start does not see them again
    return leftOut;
}

void CConverterDlg::ReportLeftOut(const QStringList& paths) {
    if (!paths.isEmpty())
        m_prompts.MessageBox(this, tr("These files of the last list no longer exist and were left out:\n%1")
                                       .arg(paths.join(QLatin1Char('\n'))));
}

void CConverterDlg::SaveList() {
    if (m_keptList.empty())
        return;
    const auto& entries = m_files.entries;
    std::string error;
    if (SaveKeptList(m_keptList, {entries.begin(), entries.begin() + m_files.fileCount}, &error) || m_keptListFailed)
        return;
    m_keptListFailed = true;
    m_prompts.MessageBox(this,
                         tr("The list could not be kept in %1: %2.\nIt will not come back at the next start.")
                             .arg(QFile::decodeName(m_keptList.c_str()), QString::fromStdString(error)),
                         QString(), Prompts::OkButton, Prompts::WarningIcon);
}

void CConverterDlg::RemoveRows(const QList<int>& rows) {
    m_fileList->RemoveRows(rows);
    m_files.RemoveRows(std::vector<int>(rows.begin(), rows.end()));
    SaveList();
}

void CConverterDlg::OnRemove() {
    if (m_files.fileCount == 0)
        return;
    const QList<int> rows = m_fileList->SelectedRows();
    if (rows.isEmpty())
        return;
    RemoveRows(rows);
    // The row that took the place of the first one removed is selected next.
    if (rows.first() < m_files.fileCount) {
        m_fileList->SelectRow(rows.first());
        m_fileList->setFocus();
    }
}

void CConverterDlg::OnMove(int step) {
    if (m_files.fileCount < 2)
        return;
    const QList<int> rows = m_fileList->SelectedRows();
    if (rows.isEmpty()) {
        m_prompts.MessageBox(this, tr("No item was selected!"), tr("Warning"));
        return;
    }
    const int leading = step < 0 ? rows.first() : rows.last();
    if (leading + step < 0 || leading + step >= m_files.fileCount) {
        m_fileList->setFocus();
        return;
    }
    // Each selected row changes places with its neighbour, the one nearest the way it goes first, so that neighbouring
    // selected rows move together.
    QList<int> moved;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int row = rows[step < 0 ? i : rows.size() - 1 - i];
        m_fileList->SwapTexts(row, row + step);
        m_files.Swap(row, row + step);
        moved << rows[i] + step;
    }
    m_fileList->SelectRows(moved);
    m_fileList->setFocus();
    SaveList();
}

void CConverterDlg::OnListContextMenu() {
    const QPoint point = MenuPoint();
    QMenu menu(this);
    const std::pair<const char*, int> items[] = {{"Add video files to list", ID_LIST_ADD},
                                                 {"Remove video file from list", ID_LIST_REMOVE},
                                                 {"Move up", ID_LIST_MOVE_UP},
                                                 {"Move down", ID_LIST_MOVE_DOWN},
                                                 {nullptr, 0},
                                                 {"Convert failed files again", ID_LIST_CONVERT_FAILED},
                                                 {"Remove converted files from list", ID_LIST_REMOVE_CONVERTED},
                                                 {"Open output folder", ID_LIST_OPEN_FOLDER}};
    for (const auto& [text, id] : items) {
        if (!text) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromLatin1(text));
        action->setData(id);
        if (id == ID_LIST_CONVERT_FAILED)
            action->setEnabled(!m_fileList->RowsWith(kNotConverted).isEmpty());
    }
    Skin::TrackPopupMenu(&menu, Skin::kRightButton, point.x(), point.y(), this);
}

void CConverterDlg::OnConvertFailed() {
    const QList<int> again = m_fileList->RowsWith(kNotConverted);
    if (again.isEmpty())
        return;
    // The outputs of the files converted before stay theirs: none goes to the trash or lends its name.
    m_batch->SetWindowHandle(static_cast<std::int64_t>(winId()));
    KeepOutputs(m_batch->ConvertRows(m_statusFolder, std::vector<int>(again.begin(), again.end()), m_statusOutputs));
}

void CConverterDlg::OnRemoveConverted() {
    const QList<int> converted = m_fileList->RowsWith({CVideoFileList::Status::Converted});
    if (converted.isEmpty())
        return;
    // The selected rows that stay keep their selection, in their new places.
    QList<int> selected;
    auto removed = converted.begin();
    for (int row : m_fileList->SelectedRows()) {
        while (removed != converted.end() && *removed < row)
            ++removed;
        if (removed == converted.end() || *removed != row)
            selected << row - static_cast<int>(removed - converted.begin());
    }
    RemoveRows(converted);
    m_fileList->SelectRows(selected);
}

void CConverterDlg::OnOpenOutputFolder() {
    const int result = OpenLink(QString::fromStdString(TakeOutputFolder()));
    if (result <= 32)
        ReportLinkError(m_prompts, this, result);
}
