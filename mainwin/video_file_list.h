#pragma once

#include <initializer_list>

#include <QList>
#include <QStringList>
#include <QTreeWidget>

// The list of video files: one row a file, numbered from 1, with its full path, playing time and what the last
// batch made of it. The rows mirror the file table entry for entry; the main window keeps the two in step. A row's
// status goes with it when rows are removed or moved.
class CVideoFileList : public QTreeWidget {
    Q_OBJECT
public:
    enum class Status { None, Waiting, Converting, Converted, Failed, Stopped, NotConverted };

    explicit CVideoFileList(QWidget* parent = nullptr);

    // Full-row selection and the four columns.
    void SetUp();

    // Appends the row for `number` (from 1).
    void AppendRow(int number, const QString& path, const QString& duration);
    // Removes `rows` (in list order) and gives the rows after the first of them their new numbers.
    void RemoveRows(const QList<int>& rows);
    // Gives rows `from` to the end the numbers from + 1 onward.
    void RenumberFrom(int from);
    // Swaps the path, duration and status of two rows; the numbers stay where they are.
    void SwapTexts(int a, int b);

    // Shows `status` for `row`: `percent` is how much of a file being converted is done; `note` the output path
    // of a converted file, or why a file was not converted. The row's tool tip names the file, then the note.
    void SetStatus(int row, Status status, const QString& note = QString(), int percent = 0);
    Status RowStatus(int row) const;
    // The output path of a converted row, or why a row was not converted.
    QString Note(int row) const;
    QString StatusText(int row) const { return item(row, 3); }
    // The rows whose status is one of `statuses`, in list order.
    QList<int> RowsWith(std::initializer_list<Status> statuses) const;

    // The selected rows, in list order.
    QList<int> SelectedRows() const;
    // The first selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row) { SelectRows({row}); }
    // Selects `rows` (in list order) and nothing else; the first of them becomes the current row and is shown.
    void SelectRows(const QList<int>& rows);

    QString NumberText(int row) const { return item(row, 0); }
    QString PathText(int row) const { return item(row, 1); }
    QString DurationText(int row) const { return item(row, 2); }
    int RowCount() const { return topLevelItemCount(); }

    // "          %d": the number column's text.
    static QString FormatNumber(int number);

signals:
    // Local files and folders dropped onto the list from a file manager, in the order they came.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString item(int row, int column) const;
    static void ShowToolTip(QTreeWidgetItem* row);
    static QStringList LocalFiles(const QMimeData* mime);
};
