#include "convert/progress_dialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

#include "controls/dialog_template.h"
#include "convert/encoder_reports.h"

CProgressDlg::CProgressDlg(QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_owner(owner) {
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

void CProgressDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CProgressDlg::OnCancel() {
    SetStatusText(tr("Cancel processing..."));
    batchState.cancelRequested = 1;
}
