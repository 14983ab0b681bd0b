#pragma once

#include <QDialog>

#include "convert/progress_sink.h"

class QLabel;
class QProgressBar;
class QPushButton;
class Prompts;

// The batch's progress window: one status line, a bar from 0 to 1000, and Cancel. Cancel (and the close
// box, and Escape) only asks for a stop: the batch confirms it with the user at the encoder's next report.
// While a batch runs its owner is disabled; the stop question and the end message belong to this window.
class CProgressDlg : public QDialog, public ProgressSink {
    Q_OBJECT
public:
    enum Id { IDD = 130, IDC_STATUS_TEXT = 1032, IDC_PROGRESS_BAR = 1033, IDC_CANCEL = 1034 };

    // `owner` is the window the progress belongs to. It is not made the Qt parent: the batch disables the
    // main window, and a disabled parent would take Cancel down with it.
    CProgressDlg(QWidget* owner, Prompts& prompts);

    void BatchStarted(const std::string& text) override;
    void ShowProgress(const std::string& text, int perMille) override;
    bool ConfirmStop() override;
    void BatchFinished(const BatchResult& result) override;

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
    // Cancel, Escape or the close box: the user asks for a stop.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCancel();

    QWidget* m_owner = nullptr;
    Prompts& m_prompts;
    QLabel* m_statusText = nullptr;
    QProgressBar* m_progressBar = nullptr;
};
