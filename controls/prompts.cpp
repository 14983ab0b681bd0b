#include "controls/prompts.h"

#include <QFileDialog>
#include <QMessageBox>

int QtPrompts::MessageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(caption.isEmpty() ? m_applicationName : caption);
    box.setText(text);
    switch (icon) {
    case InformationIcon:
        box.setIcon(QMessageBox::Information);
        break;
    case QuestionIcon:
        box.setIcon(QMessageBox::Question);
        break;
    case WarningIcon:
        box.setIcon(QMessageBox::Warning);
        break;
    case ErrorIcon:
        box.setIcon(QMessageBox::Critical);
        break;
    case NoIcon:
        break;
    }
    if (buttons == YesNoButtons) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Ok:
        return AnswerOk;
    default:
        return AnswerCancel;
    }
}

void QtPrompts::MessageBoxWithDetails(QWidget* owner, const QString& text, const QString& details) {
    QMessageBox box(owner);
    box.setWindowTitle(m_applicationName);
    box.setText(text);
    box.setDetailedText(details);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QStringList QtPrompts::OpenFileNames(QWidget* owner, const QString& title, const QString& filter) {
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog matches the name patterns in any letter case (*.avi finds MOVIE.AVI); the desktop's
    // dialogs do not all do so.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtPrompts::ExistingDirectory(QWidget* owner, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}
