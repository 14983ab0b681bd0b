#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "controls/prompts.h"

// Test-only stand-in for the message boxes and pickers: records every text shown and gives the answers
// queued with setNext*; with nothing queued a box answers OK (or Yes for a yes/no question) and a picker
// answers "cancelled".
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString text, caption;
        Buttons buttons;
        Icon icon;
        QWidget* owner;
    };

    void setNextAnswer(int answer) { m_answers.append(answer); }
    void setNextFiles(const QStringList& files) { m_files.append(files); }
    void setNextFolder(const QString& folder) { m_folders.append(folder); }

    QList<Shown> shown;
    QStringList pickerTitles;

    QStringList texts() const {
        QStringList all;
        for (const auto& s : shown)
            all << s.text;
        return all;
    }

    int MessageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
        shown.append({text, caption, buttons, icon, owner});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return buttons == YesNoButtons ? AnswerYes : AnswerOk;
    }
    QStringList OpenFileNames(QWidget*, const QString& title, const QString&) override {
        pickerTitles << title;
        return m_files.isEmpty() ? QStringList() : m_files.takeFirst();
    }
    QString ExistingDirectory(QWidget*, const QString& title, const QString&) override {
        pickerTitles << title;
        return m_folders.isEmpty() ? QString() : m_folders.takeFirst();
    }

private:
    QList<int> m_answers;
    QList<QStringList> m_files;
    QStringList m_folders;
};
