#include <QLineEdit>
#include <QtTest>

#include "controls/dialog_template.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/video_file_list.h"
#include "support/app_fixture.h"
#include "support/fake_encoder.h"

namespace fs = std::filesystem;

// The real application object, from start to end: the main window is found once it runs modally, and the
// tests do to it what the user would.
class ConverterAppTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    std::string OptionIni() const { return f->program.file("option.ini"); }
    // Runs the program; `whileRunning` does to the main window (the only modal one) what the user would.
    std::pair<bool, int> Run(const std::function<void(CConverterDlg*)>& whileRunning,
                             const std::vector<std::string>& files = {}) {
        return f->Run([&](QWidget* w) { whileRunning(qobject_cast<CConverterDlg*>(w)); }, files);
    }

private slots:
    void init() {
        f = std::make_unique<AppFixture>();
        // These runs are about the main window: the tip of the day is switched off in the profile.
        WriteFile(f->ProfilePath(), "[Tip]\nStartUp=1\n");
    }
    void cleanup() { f.reset(); }

    void firstRunWritesEveryKeyWhenClosedWithEscape() {
        QString caption, folder;
        bool hadIcon = false, skinned = false;
        const auto [initResult, exitCode] = Run([&](CConverterDlg* dlg) {
            caption = dlg->windowTitle();
            hadIcon = !dlg->windowIcon().availableSizes().isEmpty();
            folder = FindControl<QLineEdit>(dlg, CConverterDlg::IDC_OUTPUT_FOLDER)->text();
            skinned = !qApp->styleSheet().isEmpty();
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        QVERIFY(!initResult && exitCode == 0);
        QCOMPARE(caption, QStringLiteral("Quor Zodi Converter"));
        QVERIFY(hadIcon && skinned);
        QVERIFY2(qApp->styleSheet().isEmpty(), "the skin is released at exit");
        const QString home = QString::fromStdString(f->program.path().string());
        QCOMPARE(folder, home + "/output video/");
        QVERIFY(f->prompts.shown.isEmpty());
        // The settings' own tests pin the whole text; here that all 35 keys are written, in their section.
        const QString saved = QString::fromStdString(ReadFile(OptionIni()));
        QVERIFY2(saved.startsWith("[Destinate]\nLetterbox=1\nTemporary folder=" + home + "/output video/\n") &&
                     saved.endsWith("\nHD frame rate=0\n") && saved.count('\n') == 36,
                 qPrintable(saved));
    }

    // The close box saves the run's settings into option.ini beside the program, keeping the lines of others;
    // where the program folder is read-only, into the user's config folder, leaving the program's file alone.
    void closeBoxSavesTheSettings_data() {
        QTest::addColumn<bool>("readOnlyProgram");
        QTest::newRow("beside the program") << false;
        QTest::newRow("read-only program folder") << true;
    }
    void closeBoxSavesTheSettings() {
        QFETCH(bool, readOnlyProgram);
        const std::string mine = "# mine\n[destinate]\nOUTPUT FORMAT=12\nVolume=\n[Keep]\na=b\n";
        const std::string config = f->config.file("quor-zodi-converter/option.ini");
        WriteFile(OptionIni(), mine);
        fs::create_directories(f->config.file("quor-zodi-converter"));
        WriteFile(config, "[Destinate]\nOutput format=7\n");
        if (readOnlyProgram)
            fs::permissions(f->program.path(), fs::perms::owner_read | fs::perms::owner_exec);
        int formatSeen = -1;
        Run([&](CConverterDlg* dlg) {
            formatSeen = dlg->settings().outputFormat;
            dlg->settings().tvMode = 1; // as the format controls would
            dlg->close();
        });
        QCOMPARE(formatSeen, readOnlyProgram ? 7 : 12);
        QVERIFY(f->prompts.shown.isEmpty());
        const QString saved = QString::fromStdString(ReadFile(readOnlyProgram ? config : OptionIni()));
        QVERIFY2(saved.contains("TV mode=1\n") && saved.count('\n') == (readOnlyProgram ? 1 + 35 : 6 + 33),
                 qPrintable(saved));
        if (readOnlyProgram)
            QCOMPARE(ReadFile(OptionIni()), mine);
        else
            QVERIFY2(saved.startsWith("# mine\n[destinate]\nOUTPUT FORMAT=12\nVolume=0\n") &&
                         saved.endsWith("[Keep]\na=b\n"),
                     qPrintable(saved));
    }

    void readOnlySettingsFileIsReportedAndLeftAlone() {
        const std::string before = "[Destinate]\nVolume=7\n";
        WriteFile(OptionIni(), before);
        fs::permissions(OptionIni(), fs::perms::owner_read | fs::perms::group_read);
        Run([](CConverterDlg* dlg) { dlg->close(); });
        QCOMPARE(f->prompts.shown.size(), 1);
        QVERIFY2(f->prompts.shown[0].text.contains(QString::fromStdString(OptionIni())),
                 qPrintable(f->prompts.shown[0].text));
        QCOMPARE(f->prompts.shown[0].owner, nullptr);
        QCOMPARE(ReadFile(OptionIni()), before);
        QVERIFY(!fs::exists(OptionIni() + ".new"));
    }

    void filesOnTheCommandLineAreAddedOnceTheWindowShows() {
        FakeEncoder encoder(f->program.path());
        const QString src = QString::fromStdString(f->program.dir());
        for (const char* name : {"a.avi", "b.avi", "bad.avi"}) {
            WriteFile(f->program.file(name), "source");
            encoder.Script(name, "report 1 5; report 2 320; report 3 240; report 4 250000000");
        }
        encoder.Script("bad.avi", "fail 'not a media file'");
        QStringList listed;
        Run(
            [&](CConverterDlg* dlg) {
                // Called while the probes may be running: a timer looks again until they are done.
                auto* poll = new QTimer(dlg);
                QObject::connect(poll, &QTimer::timeout, dlg, [&, dlg] {
                    if (encoder.Runs().size() < 3 || dlg->IsProbing() || !listed.isEmpty())
                        return;
                    for (int i = 0; i < dlg->fileList()->RowCount(); ++i)
                        listed << dlg->fileList()->PathText(i);
                    dlg->close();
                });
                poll->start(10);
            },
            {f->program.file("a.avi"), f->program.file("bad.avi"), f->program.file("b.avi")});
        QCOMPARE(listed, QStringList({src + "a.avi", src + "b.avi"}));
        QCOMPARE(f->prompts.texts(), QStringList{"Load file " + src + "bad.avi failed.\nnot a media file"});
        QVERIFY(f->prompts.shown[0].owner);
    }
};

QTEST_MAIN(ConverterAppTest)
#include "converter_app_test.moc"
