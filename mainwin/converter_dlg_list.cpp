// The main window's handling of the video file list: adding (with a probe per file), removing, moving,
// and the list's right-click menu.

#include <algorithm>
#include <functional>
#include <map>
#include <filesystem>
#include <system_error>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/link_opener.h"
#include "controls/prompts.h"
#include "controls/skin.h"
#include "convert/batch_helpers.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/folder_walk.h"
#include "mainwin/kept_list.h"
#include "mainwin/video_file_list.h"

namespace {
// The rows "Convert failed files again" converts.
constexpr std::initializer_list<CVideoFileList::Status> kNotConverted = {
    CVideoFileList::Status::Failed, CVideoFileList::Status::Stopped, CVideoFileList::Status::NotConverted};
} // namespace

QString CConverterDlg::VideoFileFilter() {
    return QString::fromStdString(VideoFileFilters());
}

void CConverterDlg::OnAddFiles() {
    const QStringList files = m_prompts.OpenFileNames(this, QStringLiteral("Import video files"), VideoFileFilter());
    if (!files.isEmpty())
        AddFiles(files);
}

void CConverterDlg::OnAddFolder() {
    const QString folder = m_prompts.ExistingDirectory(this, tr("Add folder"), QDir::homePath());
    if (!folder.isEmpty())
        AddFiles(QStringList{folder});
}

void CConverterDlg::AddFiles(const QStringList& paths) {
    std::vector<std::string> names;
    for (const QString& path : paths)
        names.push_back(QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString());
    AddFiles(names);
}

namespace {
// While many files are being added: how many are done, and a way to stop. It shows only once the adding has taken a
// moment, so that adding a few files doesn't flash a window.
class AddingWindow : public QDialog {
public:
    AddingWindow(QWidget* owner, std::size_t total, std::function<void()> stop)
        : QDialog(owner), m_total(static_cast<int>(total)), m_stop(std::move(stop)) {
        setWindowTitle(tr("Adding video files"));
        auto* layout = new QVBoxLayout(this);
        m_text = new QLabel(this);
        m_bar = new QProgressBar(this);
        m_bar->setRange(0, m_total);
        auto* button = new QPushButton(tr("Stop adding"), this);
        layout->addWidget(m_text);
        layout->addWidget(m_bar);
        layout->addWidget(button, 0, Qt::AlignRight);
        connect(button, &QPushButton::clicked, this, &AddingWindow::reject);
        Done(0);
        m_showTimer.setSingleShot(true);
        connect(&m_showTimer, &QTimer::timeout, this, [this] { show(); });
        m_showTimer.start(kShowAfterMs);
    }
    void Done(std::size_t done) {
        m_text->setText(tr("%1 of %2 files probed").arg(done).arg(m_total));
        m_bar->setValue(static_cast<int>(done));
    }
    // The adding has ended: the window doesn't show any more, not even when it was not shown yet.
    void Finish() {
        m_showTimer.stop();
        hide();
    }
    // The close box, Escape and the button all stop the adding.
    void reject() override {
        m_stop();
        hide();
    }

private:
    static constexpr int kShowAfterMs = 400;
    int m_total;
    std::function<void()> m_stop;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer m_showTimer;
};

// The most refused files a message names in its text; beyond that, every one is in its details.
constexpr int kRefusedShown = 8;
} // namespace

void CConverterDlg::AddFiles(const std::vector<std::string>& paths) {
    if (m_probing)
        return;
    m_probing = true;
    std::vector<std::string> noVideo;
    std::vector<std::string> inputs;
    for (const std::string& name : ExpandFolders(paths, &noVideo)) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(name, ec);
        inputs.push_back(ec ? name : absolute.lexically_normal().string());
    }
    std::map<std::size_t, QString> refusedAt; // "path\nwhy" by the file's place: told as they come, shown in order
    AddingWindow adding(this, inputs.size(), [this] { m_batch->RequestCancel(); });
    QElapsedTimer sinceSave;
    sinceSave.start();
    std::size_t done = 0;
    m_batch->SetWindowHandle(static_cast<std::int64_t>(winId()));
    const ConversionBatch::ProbeEnd end =
        m_batch->ProbeFiles(inputs, [&](std::size_t place, const ConversionBatch::ProbeResult& result) {
            const QString path = QFile::decodeName(inputs[place].c_str());
            if (result.accepted)
                AppendListed(inputs[place]);
            else
                refusedAt[place] = path + QLatin1Char('\n') + QString::fromStdString(result.reason);
            adding.Done(++done);
            // Kept as the rows come, a few times a second: a crash in the middle of a long add keeps most of them.
            if (result.accepted && sinceSave.elapsed() >= kSaveEveryMs) {
                SaveList();
                sinceSave.restart();
            }
        });
    adding.Finish();
    SaveList();
    m_probing = false;

    for (const std::string& folder : noVideo)
        m_prompts.MessageBox(this, tr("No video files were found in %1.").arg(QFile::decodeName(folder.c_str())));
    if (!end.startError.isEmpty())
        m_prompts.MessageBox(this,
                             tr("The encoder %1 could not be started: %2.").arg(m_encoder.Program(), end.startError),
                             QString(), Prompts::OkButton, Prompts::ErrorIcon);
    QStringList refused;
    for (const auto& [place, text] : refusedAt)
        refused << text;
    if (refused.size() == 1) {
        const qsizetype nl = refused.first().indexOf(QLatin1Char('\n'));
        m_prompts.MessageBox(this, tr("Load file %1 failed.").arg(refused.first().left(nl)) + refused.first().mid(nl));
    } else if (!refused.isEmpty()) {
        QString text = tr("%1 files could not be added:").arg(refused.size());
        for (const QString& file : refused.mid(0, kRefusedShown))
            text += QStringLiteral("\n\n") + file;
        if (refused.size() <= kRefusedShown)
            m_prompts.MessageBox(this, text);
        else
            m_prompts.MessageBoxWithDetails(
                this,
                text + QStringLiteral("\n\n") +
                    tr("... and %1 more: Show Details lists every file and why.").arg(refused.size() - kRefusedShown),
                refused.join(QStringLiteral("\n\n")));
    }
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
                                                 {"Add folder...", ID_LIST_ADD_FOLDER},
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
