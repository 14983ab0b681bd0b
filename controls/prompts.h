#pragma once

#include <utility>

#include <QString>
#include <QStringList>

class QWidget;

// Every modal question and picker the program shows goes through this interface, so that tests can
// install a scripted implementation that records each text and gives the scripted answer.
class Prompts {
public:
    enum Answer { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };
    enum Buttons { OkButton, YesNoButtons };
    enum Icon { NoIcon, InformationIcon, QuestionIcon, WarningIcon, ErrorIcon };

    virtual ~Prompts() = default;

    // A message box; an empty caption means the application name. Answers one of Answer.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption = QString(),
                           Buttons buttons = OkButton, Icon icon = NoIcon) = 0;
    // A message with a long list the user can open under it ("Show Details..."), so that the box keeps to the
    // screen however long the list is. By default the list simply follows the text.
    virtual void MessageBoxWithDetails(QWidget* owner, const QString& text, const QString& details) {
        MessageBox(owner, text + QStringLiteral("\n\n") + details);
    }
    // Files picked for opening, empty when the user cancelled. `filter` uses Qt's ";;" convention.
    virtual QStringList OpenFileNames(QWidget* owner, const QString& title, const QString& filter) = 0;
    // A folder picked, empty when the user cancelled.
    virtual QString ExistingDirectory(QWidget* owner, const QString& title, const QString& start) = 0;
};

// The real thing: QMessageBox and QFileDialog.
class QtPrompts : public Prompts {
public:
    // `applicationName` is the caption of boxes that name none of their own.
    explicit QtPrompts(QString applicationName) : m_applicationName(std::move(applicationName)) {}
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    void MessageBoxWithDetails(QWidget* owner, const QString& text, const QString& details) override;
    QStringList OpenFileNames(QWidget* owner, const QString& title, const QString& filter) override;
    QString ExistingDirectory(QWidget* owner, const QString& title, const QString& start) override;

private:
    QString m_applicationName;
};
