#include "mainwin/video_file_list.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelection>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

CVideoFileList::CVideoFileList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void CVideoFileList::SetUp() {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setColumnCount(4);
    setHeaderLabels({QStringLiteral(" Number"), QStringLiteral("  File path"), QStringLiteral("   Duration"),
                     QStringLiteral("Status")});
    headerItem()->setTextAlignment(2, Qt::AlignCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setColumnWidth(0, 90);
    setColumnWidth(2, 122);
    setColumnWidth(3, fontMetrics().horizontalAdvance(QStringLiteral("Converting 100%")) + 24);
    // The path takes what is left beside a vertical scroll bar, so that every status shows without scrolling; a path
    // cut short is whole in its tool tip.
    const int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setColumnWidth(1, std::max(200, room - columnWidth(0) - columnWidth(2) - columnWidth(3)));
}

namespace {
constexpr int kStatusRole = Qt::UserRole;
constexpr int kNoteRole = Qt::UserRole + 1;
} // namespace

void CVideoFileList::SetStatus(int row, Status status, const QString& note, int percent) {
    QTreeWidgetItem* it = topLevelItem(row);
    if (!it)
        return;
    QString text;
    switch (status) {
    case Status::None:
        break;
    case Status::Waiting:
        text = tr("Waiting");
        break;
    case Status::Converting:
        text = tr("Converting %1%").arg(percent);
        break;
    case Status::Converted:
        text = tr("Converted");
        break;
    case Status::Failed:
        text = tr("Failed");
        break;
    case Status::Stopped:
        text = tr("Stopped");
        break;
    case Status::NotConverted:
        text = tr("Not converted");
        break;
    }
    it->setText(3, text);
    it->setData(3, kStatusRole, static_cast<int>(status));
    it->setData(3, kNoteRole, note);
    ShowToolTip(it);
}

CVideoFileList::Status CVideoFileList::RowStatus(int row) const {
    const QTreeWidgetItem* it = topLevelItem(row);
    return it ? static_cast<Status>(it->data(3, kStatusRole).toInt()) : Status::None;
}

QString CVideoFileList::Note(int row) const {
    const QTreeWidgetItem* it = topLevelItem(row);
    return it ? it->data(3, kNoteRole).toString() : QString();
}

QList<int> CVideoFileList::RowsWith(std::initializer_list<Status> statuses) const {
    QList<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (std::find(statuses.begin(), statuses.end(), RowStatus(i)) != statuses.end())
            rows << i;
    return rows;
}

void CVideoFileList::ShowToolTip(QTreeWidgetItem* row) {
    // The path first: its column may show it cut short.
    const QString note = row->data(3, kNoteRole).toString();
    const QString tip = note.isEmpty() ? row->text(1) : row->text(1) + QLatin1Char('\n') + note;
    for (int column = 0; column < row->columnCount(); ++column)
        row->setToolTip(column, tip);
}

QString CVideoFileList::FormatNumber(int number) {
    return QStringLiteral("          %1").arg(number);
}

void CVideoFileList::AppendRow(int number, const QString& path, const QString& duration) {
    auto* row = new QTreeWidgetItem(this, {FormatNumber(number), path, duration, QString()});
    row->setTextAlignment(2, Qt::AlignCenter);
    ShowToolTip(row);
}

void CVideoFileList::RemoveRows(const QList<int>& rows) {
    if (rows.isEmpty())
        return;
    // Every range of a selection is kept up to date through each removal: with none left, removing stays cheap.
    clearSelection();
    if (rows.last() - rows.first() + 1 == rows.size()) {
        model()->removeRows(rows.first(), static_cast<int>(rows.size()));
        RenumberFrom(rows.first());
        return;
    }
    // Rows from here and there: each removal would have the model walk all its kept indexes again, so the rows are
    // taken out all at once and the rest put back, numbered while they are out of the list.
    const int scrolled = verticalScrollBar()->value();
    const QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> kept;
    kept.reserve(items.size() - rows.size());
    auto next = rows.begin();
    for (int row = 0; row < items.size(); ++row) {
        if (next != rows.end() && *next == row) {
            delete items[row];
            ++next;
            continue;
        }
        items[row]->setText(0, FormatNumber(static_cast<int>(kept.size()) + 1));
        kept << items[row];
    }
    addTopLevelItems(kept);
    verticalScrollBar()->setValue(scrolled);
}

void CVideoFileList::RenumberFrom(int from) {
    for (int i = from; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setText(0, FormatNumber(i + 1));
}

void CVideoFileList::SwapTexts(int a, int b) {
    QTreeWidgetItem* first = topLevelItem(a);
    QTreeWidgetItem* second = topLevelItem(b);
    for (int column : {1, 2, 3}) {
        const QString text = first->text(column);
        first->setText(column, second->text(column));
        second->setText(column, text);
    }
    for (int role : {kStatusRole, kNoteRole}) {
        const QVariant value = first->data(3, role);
        first->setData(3, role, second->data(3, role));
        second->setData(3, role, value);
    }
    ShowToolTip(first);
    ShowToolTip(second);
}

QList<int> CVideoFileList::SelectedRows() const {
    // From the selection's ranges rather than from every row: a long list with few rows selected answers at once.
    QList<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.left() == 0 && !range.parent().isValid())
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CVideoFileList::SelectedRow() const {
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void CVideoFileList::SelectRows(const QList<int>& rows) {
    // Cleared first: a new selection is otherwise compared with the old one range by range.
    clearSelection();
    QItemSelection selection;
    for (qsizetype begin = 0, end = 0; begin < rows.size(); begin = end) {
        for (end = begin + 1; end < rows.size() && rows[end] == rows[end - 1] + 1;)
            ++end;
        const QModelIndex first = model()->index(rows[begin], 0);
        const QModelIndex last = model()->index(rows[end - 1], columnCount() - 1);
        if (first.isValid() && last.isValid())
            selection.select(first, last);
    }
    if (selection.isEmpty())
        return;
    const QModelIndex current = selection.first().topLeft();
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    // Whole rows already: with the Rows flag the selection model would merge the ranges again one by one.
    selectionModel()->select(selection, QItemSelectionModel::Select);
    scrollTo(current);
}

QString CVideoFileList::item(int row, int column) const {
    const QTreeWidgetItem* it = topLevelItem(row);
    return it ? it->text(column) : QString();
}

QStringList CVideoFileList::LocalFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && (QFileInfo(url.toLocalFile()).isFile() || QFileInfo(url.toLocalFile()).isDir()))
            paths << url.toLocalFile();
    return paths;
}

void CVideoFileList::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void CVideoFileList::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void CVideoFileList::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
