#pragma once

#include <QStringList>

#include "controls/prompts.h"

// The benchmark drivers' prompts: every message is kept and answered OK, the file picker answers `nextFiles`.
class BenchPrompts : public Prompts {
public:
    QStringList texts;
    QStringList nextFiles;
    int MessageBox(QWidget*, const QString& text, const QString&, Buttons, Icon) override {
        texts << text;
        return AnswerOk;
    }
    QStringList OpenFileNames(QWidget*, const QString&, const QString&) override { return nextFiles; }
    QString ExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
};
