#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "app/converter_app.h"
#include "settings/program_dir.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

// The whole program, started as main() starts it: it lives in a fresh temporary folder, which is also HOME (so its
// list is kept under HOME/.local/state), and keeps its application profile under a temporary XDG_CONFIG_HOME.
struct AppFixture {
    AppFixture() {
        SetProgramPath(program.file("quor-zodi-converter"));
        qputenv("HOME", QByteArray::fromStdString(program.path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path().string()));
        qunsetenv("XDG_STATE_HOME");
    }
    std::string ProfilePath() const { return config.file("quor-zodi-converter.ini"); }

    // Runs the program once with `files` on its command line. `onModal` sees every modal window in the order
    // they open, and closes it. Answers what InitInstance and ExitInstance answered.
    std::pair<bool, int> Run(const std::function<void(QWidget*)>& onModal, const std::vector<std::string>& files = {}) {
        QWidget* last = nullptr;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != last && modal->isVisible()) {
                last = modal;
                onModal(modal);
            }
        });
        watch.start(5);
        CConverterApp app(&prompts);
        app.SetStartupFiles(files);
        const bool init = app.InitInstance();
        return {init, app.ExitInstance()};
    }

    TempDir program, config;
    ScriptedPrompts prompts;
};
