#pragma once

#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "settings/conversion_settings.h"
#include "controls/dialog_template.h"
#include "settings/program_dir.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/video_file_list.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

// A main window whose program lives in a fresh temporary folder, with a scripted encoder beside it and
// scripted message boxes and pickers.
struct MainWindowFixture {
    MainWindowFixture() {
        std::filesystem::create_directories(tmp.path() / "src");
        SetProgramPath(tmp.file("quor-zodi-converter"));
        dlg = std::make_unique<CConverterDlg>(settings, prompts);
        dlg->show();
    }
    ~MainWindowFixture() {
        dlg.reset();
        std::filesystem::current_path(std::filesystem::temp_directory_path());
    }

    // A source file whose probe reports the given facts (frame rate in frames per second).
    QString Source(const std::string& name, double seconds, int width = 320, int height = 240, double fps = 25) {
        WriteFile(tmp.file("src/" + name), "source");
        encoder.Script(name, "report 1 " + std::to_string(static_cast<long long>(seconds)) + "; report 2 " +
                                 std::to_string(width) + "; report 3 " + std::to_string(height) + "; report 4 " +
                                 std::to_string(static_cast<long long>(fps * 10000000)));
        return QString::fromStdString(tmp.file("src/" + name));
    }
    // A source the encoder can't read; it says why in UnreadableReason(path).
    QString Unreadable(const std::string& name) {
        WriteFile(tmp.file("src/" + name), "not a video");
        encoder.Script(name, "echo \"zezozov: $in: no video stream\" >&2; report 1 0; exit 3");
        return QString::fromStdString(tmp.file("src/" + name));
    }
    static QString Refusal(const QString& path, const QString& why) {
        return QStringLiteral("Load file %1 failed.\n%2").arg(path, why);
    }
    static QString UnreadableRefusal(const QString& path) {
        return Refusal(path, QStringLiteral("zezozov: %1: no video stream").arg(path));
    }

    QStringList AddThroughPicker(const QStringList& files) {
        prompts.setNextFiles(files);
        dlg->OnCommand(CConverterDlg::IDC_ADD);
        return prompts.texts();
    }

    CVideoFileList* list() const { return dlg->fileList(); }
    QStringList Paths() const {
        QStringList paths;
        for (int i = 0; i < list()->RowCount(); ++i)
            paths << list()->PathText(i);
        return paths;
    }

    // Runs `action` on the next modal or pop-up window that opens, then closes it.
    static void OnNextWindow(std::function<void(QWidget*)> action) {
        QTimer::singleShot(0, [action] {
            QWidget* w = QApplication::activePopupWidget();
            if (!w)
                w = QApplication::activeModalWidget();
            action(w);
        });
    }

    TempDir tmp;
    FakeEncoder encoder{tmp.path()};
    ScriptedPrompts prompts;
    ConversionSettings settings;
    std::unique_ptr<CConverterDlg> dlg;
};
