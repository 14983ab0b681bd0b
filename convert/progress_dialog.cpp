#include "convert/progress_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

#include "controls/dialog_template.h"
#include "controls/prompts.h"

CProgressDlg::CProgressDlg(QWidget* owner, Prompts& prompts)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_owner(owner),
      m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Quor Zodi Converter"));
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 302, 79)).size());
    if (owner)
        setWindowIcon(owner->windowIcon());

    m_statusText = new QLabel(QStringLiteral("Static"), this);
    SetControlId(m_statusText, IDC_STATUS_TEXT);
    m_statusText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PlaceInDialogUnits(this, m_statusText, 5, 7, 292, 19);

    m_progressBar = new QProgressBar(this);
    SetControlId(m_progressBar, IDC_PROGRESS_BAR);
    m_progressBar->setTextVisible(false);
    PlaceInDialogUnits(this, m_progressBar, 12, 32, 279, 12);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    PlaceInDialogUnits(this, separator, 7, 54, 291, 1);

    auto* cancel = new QPushButton(tr("Cancel"), this);
    SetControlId(cancel, IDC_CANCEL);
    cancel->setAutoDefault(false);
    PlaceInDialogUnits(this, cancel, 216, 60, 55, 15);
    connect(cancel, &QPushButton::clicked, this, &CProgressDlg::OnCancel);
}

void CProgressDlg::ShowOverOwner() {
    if (m_owner) {
        QWidget* ownerWindow = m_owner->window();
        winId();
        if (ownerWindow->windowHandle())
            windowHandle()->setTransientParent(ownerWindow->windowHandle());
        move(ownerWindow->geometry().center() - rect().center());
    }
    show();
}

void CProgressDlg::SetStatusText(const QString& text) {
    m_statusText->setText(text);
    emit statusTextChanged(text);
}

QString CProgressDlg::StatusText() const {
    return m_statusText->text();
}

void CProgressDlg::SetRange(int low, int high) {
    m_progressBar->setRange(low, high);
}

void CProgressDlg::SetPos(int pos) {
    m_progressBar->setValue(pos);
}

void CProgressDlg::BatchStarted(const std::string& text) {
    // No second command may start on the owner while the batch runs.
    if (m_owner)
        m_owner->setEnabled(false);
    SetStatusText(QString::fromStdString(text));
    SetRange(0, 1000);
    SetPos(0);
    ShowOverOwner();
}

void CProgressDlg::ShowProgress(const std::string& text, int perMille) {
    SetStatusText(QString::fromStdString(text));
    SetPos(perMille);
}

bool CProgressDlg::ConfirmStop() {
    return m_prompts.MessageBox(this, tr("Do you really want to stop?"), QString(), Prompts::YesNoButtons,
                                Prompts::QuestionIcon) == Prompts::AnswerYes;
}

void CProgressDlg::BatchFinished(const BatchResult& result) {
    // The window stays up while the end message is open; the disabled owner could not own the box.
    if (!result.message.empty()) {
        Prompts::Icon icon = Prompts::InformationIcon;
        if (result.severity == BatchResult::Severity::Warning)
            icon = Prompts::WarningIcon;
        else if (result.severity == BatchResult::Severity::Error)
            icon = Prompts::ErrorIcon;
        m_prompts.MessageBox(this, QString::fromStdString(result.message), QString(), Prompts::OkButton, icon);
    }
    if (m_owner)
        m_owner->setEnabled(true);
    hide();
}

void CProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CProgressDlg::OnCancel() {
    SetStatusText(tr("Cancel processing..."));
    emit cancelRequested();
}
