#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "app/converter_app.h"
#include "controls/dialog_template.h"
#include "controls/link_opener.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/video_file_list.h"
#include "settings/program_dir.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

// A main window whose program lives in a fresh temporary folder, with a scripted encoder beside it, scripted
// message boxes and pickers, and links recorded instead of opened; under the program's skin, as users see it.
struct MainWindowFixture {
    MainWindowFixture() {
        ApplyProgramSkin();
        std::filesystem::create_directories(tmp.path() / "src");
        SetProgramPath(tmp.file("quor-zodi-converter"));
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qputenv(var, "/nonexistent"); // no desktop program for web pages: links reach only the recorder
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return true;
        });
        dlg = std::make_unique<CConverterDlg>(settings, prompts);
        dlg->show();
    }
    ~MainWindowFixture() {
        dlg.reset();
        SetLinkOpenerForTest({});
        std::filesystem::current_path(std::filesystem::temp_directory_path());
    }

    // A source file whose probe reports the given facts (frame rate in frames per second).
    QString Source(const std::string& name, double seconds, int width = 320, int height = 240, double fps = 25) {
        return Scripted(name, "report 1 " + std::to_string(static_cast<long long>(seconds)) + "; report 2 " +
                                  std::to_string(width) + "; report 3 " + std::to_string(height) + "; report 4 " +
                                  std::to_string(static_cast<long long>(fps * 10000000)));
    }
    // A source whose probe runs `shellText` (see FakeEncoder).
    QString Scripted(const std::string& name, const std::string& shellText) {
        WriteFile(tmp.file("src/" + name), "source");
        encoder.Script(name, shellText);
        return QString::fromStdString(tmp.file("src/" + name));
    }
    // A source the encoder can't read: "zezozov: <path>: no video stream".
    QString Unreadable(const std::string& name) {
        return Scripted(name, "echo \"zezozov: $in: no video stream\" >&2; report 1 0; exit 3");
    }
    static QString Refusal(const QString& path, const QString& why) {
        return QStringLiteral("Load file %1 failed.\n%2").arg(path, why);
    }
    // Puts the real encoder where the program looks for it.
    void UseRealEncoder() {
        const auto real = std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "zezozov";
        QVERIFY(std::filesystem::exists(real));
        std::filesystem::remove(tmp.file("zezozov"));
        std::filesystem::create_symlink(real, tmp.file("zezozov"));
    }

    void AddThroughPicker(const QStringList& files) {
        prompts.setNextFiles(files);
        dlg->OnCommand(CConverterDlg::IDC_ADD);
    }
    CVideoFileList* list() const { return dlg->fileList(); }
    QLineEdit* folderEdit() const { return FindControl<QLineEdit>(dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER); }
    QStringList Paths() const {
        QStringList paths;
        for (int i = 0; i < list()->RowCount(); ++i)
            paths << list()->PathText(i);
        return paths;
    }

    // Runs `action` on the next modal or pop-up window that opens.
    static void OnNextWindow(std::function<void(QWidget*)> action) {
        QTimer::singleShot(0, [action] {
            if (QWidget* w = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                               : QApplication::activeModalWidget())
                action(w);
        });
    }
    // Runs `open`, which must open a modal T, and hands the window to `act` before closing it.
    template <class T>
    static void WithNext(const std::function<void()>& open, const std::function<void(T*)>& act) {
        bool seen = false;
        OnNextWindow([&](QWidget* w) {
            if (auto* t = qobject_cast<T*>(w)) {
                seen = true;
                act(t);
            }
            w->close();
        });
        open();
        QVERIFY(seen);
    }

    TempDir tmp;
    FakeEncoder encoder{tmp.path()};
    ScriptedPrompts prompts;
    ConversionSettings settings;
    std::unique_ptr<CConverterDlg> dlg;
    QList<QUrl> opened; // what the program asked the desktop to open
};
