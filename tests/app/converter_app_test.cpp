#include <functional>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "settings/conversion_settings.h"
#include "app/converter_app.h"
#include "controls/dialog_template.h"
#include "settings/program_dir.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/video_file_list.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

// Drives the real application object: the program "lives" in a temporary folder, the main dialog is found
// once it runs modally, and `whileRunning` does what the user would do to it.
class ConverterAppTest : public QObject {
    Q_OBJECT

    struct Run {
        bool initResult = true;
        int exitCode = -1;
        QString caption;
        QString folderText;
        bool hadIcon = false;
        bool skinnedWhileRunning = false;
    };

    Run runApp(TempDir& home, ScriptedPrompts& prompts, std::function<void(CConverterDlg*)> whileRunning) {
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        Run run;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CConverterDlg*>(QApplication::activeModalWidget());
            if (!dlg) {
                QApplication::activeModalWidget()->close();
                return;
            }
            run.caption = dlg->windowTitle();
            run.hadIcon = !dlg->windowIcon().availableSizes().isEmpty();
            run.folderText = FindControl<QLineEdit>(dlg, CConverterDlg::IDC_OUTPUT_FOLDER)->text();
            run.skinnedWhileRunning = !qApp->styleSheet().isEmpty();
            whileRunning(dlg);
        });
        CConverterApp app(&prompts);
        app.SetStartupFiles(m_startupFiles);
        run.initResult = app.InitInstance();
        run.exitCode = app.ExitInstance();
        return run;
    }

    static void pressEscape(CConverterDlg* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); }

private slots:
    void init() {
        SetProgramPath(m_programDir.file("quor-zodi-converter"));
        fs::remove(m_programDir.file("option.ini"));
        fs::permissions(m_programDir.path(), fs::perms::owner_all);
        // These runs are about the main dialog: the tip of the day is switched off in the profile.
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_configDir.path().string()));
        WriteFile(m_configDir.file("quor-zodi-converter.ini"), "[Tip]\nStartUp=1\n");
    }

    void firstRunWritesAllKeysWhenClosedWithEscape() {
        ScriptedPrompts prompts;
        const Run run = runApp(m_programDir, prompts, pressEscape);

        QCOMPARE(run.initResult, false);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.caption, QStringLiteral("Quor Zodi Converter"));
        QVERIFY(run.hadIcon);
        const QString home = QString::fromStdString(m_programDir.path().string());
        QCOMPARE(run.folderText, home + "/output video/");
        QVERIFY(run.skinnedWhileRunning);
        QVERIFY2(qApp->styleSheet().isEmpty(), "the skin is released at exit");
        QVERIFY(prompts.shown.isEmpty());

        const std::string saved = ReadFile(m_programDir.file("option.ini"));
        QCOMPARE(QString::fromStdString(saved),
                 QStringLiteral("[Destinate]\nLetterbox=1\nTemporary folder=%1/output video/\nOutput format=0\n"
                                "TV mode=0\nMPEG aspect ratio=2\nDVD aspect ratio=1\nAVI quality=4\nMPEG1 quality=3\n"
                                "MPEG2 quality=3\nSVCD quality=4\nDVD quality=5\nWMV quality=5\nAVI video codec=0\n"
                                "ASF video codec=2\nAVI audio codec=0\nZodi audio codec=0\nXvid audio codec=0\n"
                                "DVD audio codec=0\nWMV audio codec=1\nASF audio codec=1\nAVI resolution=0\n"
                                "MPEG resolution=0\nAVI frame rate=0\nMPEG frame rate=0\nVolume=20\n")
                     .arg(home));
    }

    void closeBoxSavesChangesAndKeepsForeignLines() {
        WriteFile(m_programDir.file("option.ini"), "# mine\n[destinate]\nOUTPUT FORMAT=12\nVolume=\n[Keep]\na=b\n");
        ScriptedPrompts prompts;
        int formatSeen = -1;
        const Run run = runApp(m_programDir, prompts, [&](CConverterDlg* dlg) {
            formatSeen = dlg->settings().outputFormat;
            dlg->settings().tvMode = 1; // as the format controls would
            dlg->close();
        });
        QCOMPARE(formatSeen, 12);
        QVERIFY(prompts.shown.isEmpty());
        const QString saved = QString::fromStdString(ReadFile(m_programDir.file("option.ini")));
        QVERIFY2(saved.startsWith("# mine\n[destinate]\nOUTPUT FORMAT=12\nVolume=0\n"), qPrintable(saved));
        QVERIFY2(saved.contains("TV mode=1\n"), qPrintable(saved));
        QVERIFY2(saved.endsWith("[Keep]\na=b\n"), qPrintable(saved));
        QCOMPARE(saved.count('\n'), 6 + 23);
        Q_UNUSED(run);
    }

    void readOnlySettingsFileIsReportedAndLeftAlone() {
        const std::string before = "[Destinate]\nVolume=7\n";
        WriteFile(m_programDir.file("option.ini"), before);
        fs::permissions(m_programDir.file("option.ini"), fs::perms::owner_read | fs::perms::group_read);
        ScriptedPrompts prompts;
        runApp(m_programDir, prompts, pressEscape);

        QCOMPARE(prompts.shown.size(), 1);
        const QString path = QString::fromStdString(m_programDir.file("option.ini"));
        QVERIFY2(prompts.shown[0].text.contains(path), qPrintable(prompts.shown[0].text));
        QCOMPARE(prompts.shown[0].owner, nullptr);
        QCOMPARE(ReadFile(m_programDir.file("option.ini")), before);
        QVERIFY(!fs::exists(m_programDir.file("option.ini.new")));
    }

    void readOnlyProgramFolderKeepsTheSettingsInTheConfigFolder() {
        const std::string kept = m_configDir.file("quor-zodi-converter/option.ini");
        fs::create_directories(m_configDir.file("quor-zodi-converter"));
        WriteFile(kept, "[Destinate]\nOutput format=7\n");
        WriteFile(m_programDir.file("option.ini"), "[Destinate]\nOutput format=2\n");
        fs::permissions(m_programDir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        ScriptedPrompts prompts;
        int formatSeen = -1;
        runApp(m_programDir, prompts, [&](CConverterDlg* dlg) {
            formatSeen = dlg->settings().outputFormat;
            dlg->settings().tvMode = 1;
            dlg->close();
        });
        fs::permissions(m_programDir.path(), fs::perms::owner_all);

        QCOMPARE(formatSeen, 7);
        QVERIFY(prompts.shown.isEmpty());
        QVERIFY(ReadFile(kept).find("TV mode=1\n") != std::string::npos);
        QCOMPARE(ReadFile(m_programDir.file("option.ini")), std::string("[Destinate]\nOutput format=2\n"));
    }

    void filesOnTheCommandLineAreAddedOnceTheWindowShows() {
        FakeEncoder encoder(m_programDir.path());
        const QString src = QString::fromStdString(m_programDir.file(""));
        for (const char* name : {"a.avi", "b.avi"}) {
            WriteFile(m_programDir.file(name), "source");
            encoder.Script(name, "report 1 5; report 2 320; report 3 240; report 4 250000000");
        }
        WriteFile(m_programDir.file("bad.avi"), "not a video");
        encoder.Script("bad.avi", "fail 'not a media file'");
        m_startupFiles = {src + "a.avi", src + "bad.avi", src + "b.avi"};
        ScriptedPrompts prompts;
        QStringList listed;
        runApp(m_programDir, prompts, [&](CConverterDlg* dlg) {
            QTest::qWaitFor([&] { return encoder.Runs().size() == 3 && !dlg->IsProbing(); }, 10000);
            for (int i = 0; i < dlg->fileList()->RowCount(); ++i)
                listed << dlg->fileList()->PathText(i);
            dlg->close();
        });
        m_startupFiles.clear();

        QCOMPARE(listed, QStringList({src + "a.avi", src + "b.avi"}));
        QCOMPARE(prompts.texts(), QStringList{"Load file " + src + "bad.avi failed.\nnot a media file"});
        QCOMPARE(prompts.shown[0].owner == nullptr, false);
    }

private:
    QStringList m_startupFiles;
    TempDir m_programDir;
    TempDir m_configDir;
};

QTEST_MAIN(ConverterAppTest)
#include "converter_app_test.moc"
