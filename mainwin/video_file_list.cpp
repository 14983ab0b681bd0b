#include "mainwin/video_file_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

CVideoFileList::CVideoFileList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void CVideoFileList::SetUp() {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setColumnCount(3);
    setHeaderLabels({QStringLiteral(" Number"), QStringLiteral("  File path"), QStringLiteral("   Duration")});
    headerItem()->setTextAlignment(2, Qt::AlignCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setColumnWidth(0, 90);
    setColumnWidth(1, 360);
    setColumnWidth(2, 122);
}

QString CVideoFileList::FormatNumber(int number) {
    return QStringLiteral("          %1").arg(number);
}

void CVideoFileList::AppendRow(int number, const QString& path, const QString& duration) {
    auto* row = new QTreeWidgetItem(this, {FormatNumber(number), path, duration});
    row->setTextAlignment(2, Qt::AlignCenter);
    row->setToolTip(1, path);
}

void CVideoFileList::RemoveRow(int row) {
    delete takeTopLevelItem(row);
}

void CVideoFileList::RenumberFrom(int from) {
    for (int i = from; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setText(0, FormatNumber(i + 1));
}

void CVideoFileList::SwapTexts(int a, int b) {
    QTreeWidgetItem* first = topLevelItem(a);
    QTreeWidgetItem* second = topLevelItem(b);
    for (int column : {1, 2}) {
        const QString text = first->text(column);
        first->setText(column, second->text(column));
        second->setText(column, text);
    }
    first->setToolTip(1, first->text(1));
    second->setToolTip(1, second->text(1));
}

int CVideoFileList::SelectedRow() const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void CVideoFileList::SelectRow(int row) {
    clearSelection();
    if (row < 0 || row >= topLevelItemCount())
        return;
    QTreeWidgetItem* it = topLevelItem(row);
    setCurrentItem(it);
    it->setSelected(true);
    scrollToItem(it);
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
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
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
