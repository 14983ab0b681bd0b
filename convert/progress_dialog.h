#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The batch's progress window: one status line, a bar from 0 to 1000, and Cancel. Cancel (and the close
// box, and Escape) only asks for a stop: the batch confirms it with the user at the encoder's next report.
class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    enum Id { IDD = 130, IDC_STATUS_TEXT = 1032, IDC_PROGRESS_BAR = 1033, IDC_CANCEL = 1034 };

    // `owner` is the window the progress belongs to. It is not made the Qt parent: the batch disables the
    // main window, and a disabled parent would take Cancel down with it.
    explicit CProgressDlg(QWidget* owner);

    // Shows the window centred on its owner and kept above it.
    void ShowOverOwner();

    void SetStatusText(const QString& text);
    QString StatusText() const;
    void SetRange(int low, int high);
    void SetPos(int pos);

    // Enter does nothing: the window only closes when the batch is over.
    void accept() override {}
    // Cancel, Escape, the close box: ask for a stop.
    void reject() override { OnCancel(); }

signals:
    void statusTextChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCancel();

    QWidget* m_owner = nullptr;
    QLabel* m_statusText = nullptr;
    QProgressBar* m_progressBar = nullptr;
};
