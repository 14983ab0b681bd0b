#pragma once

#include <QStringList>
#include <QTreeWidget>

// The list of video files: one row a file, numbered from 1, with its full path and playing time. The rows
// mirror the file table entry for entry; the main window keeps the two in step.
class CVideoFileList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CVideoFileList(QWidget* parent = nullptr);

    // Full-row selection and the three columns.
    void SetUp();

    // Appends the row for `number` (from 1).
    void AppendRow(int number, const QString& path, const QString& duration);
    void RemoveRow(int row);
    // Gives rows `from` to the end the numbers from + 1 onward.
    void RenumberFrom(int from);
    // Swaps the path and duration texts of two rows; the numbers stay where they are.
    void SwapTexts(int a, int b);

    // The first selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    QString NumberText(int row) const { return item(row, 0); }
    QString PathText(int row) const { return item(row, 1); }
    QString DurationText(int row) const { return item(row, 2); }
    int RowCount() const { return topLevelItemCount(); }

    // "          %d": the number column's text.
    static QString FormatNumber(int number);

signals:
    // Local files dropped onto the list from a file manager, in the order they came.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString item(int row, int column) const;
    static QStringList LocalFiles(const QMimeData* mime);
};
