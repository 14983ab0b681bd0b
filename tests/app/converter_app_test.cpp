#include <QFile>
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

    // Runs the program with `files` on its command line until its list has `rows` rows and no probe runs (a timer
    // looks again until then), then does `act` to it and
    // closes it. Answers the rows as "path duration width x height fps".
    QStringList RunUntilListed(int rows, const std::vector<std::string>& files = {},
                               const std::function<void(CConverterDlg*)>& act = {}) {
        QStringList listed;
        bool done = false;
        Run(
            [&](CConverterDlg* dlg) {
                auto* poll = new QTimer(dlg);
                QObject::connect(poll, &QTimer::timeout, dlg, [&, dlg] {
                    if (done || dlg->IsProbing() || dlg->fileList()->RowCount() < rows)
                        return;
                    done = true;
                    for (int i = 0; i < dlg->fileList()->RowCount(); ++i) {
                        const VideoFileEntry& e = dlg->files().entries[i];
                        listed << QStringLiteral("%1 %2 %3x%4 %5")
                                      .arg(dlg->fileList()->PathText(i), dlg->fileList()->DurationText(i))
                                      .arg(e.sourceWidth)
                                      .arg(e.sourceHeight)
                                      .arg(e.sourceFrameRate);
                    }
                    if (act)
                        act(dlg);
                    dlg->close();
                });
                poll->start(10);
            },
            files);
        return listed;
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
        QCOMPARE(RunUntilListed(2, {f->program.file("a.avi"), f->program.file("bad.avi"), f->program.file("b.avi")}),
                 QStringList({src + "a.avi 00:00:05 320x240 25", src + "b.avi 00:00:05 320x240 25"}));
        QCOMPARE(f->prompts.texts(), QStringList{"Load file " + src + "bad.avi failed.\nnot a media file"});
        QVERIFY(f->prompts.shown[0].owner);
    }

    // The list comes back at the next start with the facts probed before, the files gone since left out and named
    // once, the command line's files after it; removing every row empties it for good.
    void theListComesBackAtTheNextStart() {
        FakeEncoder encoder(f->program.path());
        const std::string latin1 = "caf\xe9.avi"; // not UTF-8
        const std::pair<std::string, int> sources[] = {{"a.avi", 5}, {"b.avi", 65}, {latin1, 3725}, {"d.avi", 7}};
        for (const auto& [name, seconds] : sources) {
            WriteFile(f->program.file(name), "source");
            encoder.Script(name, "report 1 " + std::to_string(seconds) + "; report 2 " + std::to_string(seconds * 2) +
                                     "; report 3 240; report 4 299700000");
        }
        const QString src = QString::fromStdString(f->program.dir());
        const QString a = src + "a.avi 00:00:05 10x240 29.97",
                      c = QFile::decodeName(f->program.file(latin1).c_str()) + " 01:02:05 7450x240 29.97";
        // Added and nothing else: the add itself keeps the rows.
        QCOMPARE(
            RunUntilListed(3, {f->program.file("a.avi"), f->program.file("b.avi"), f->program.file(latin1)}).size(), 3);
        std::filesystem::remove(f->program.file("b.avi"));
        const auto moveUp = [](CConverterDlg* dlg) {
            dlg->fileList()->SelectRow(1);
            dlg->OnCommand(CConverterDlg::IDC_MOVE_UP);
        };
        QCOMPARE(RunUntilListed(2, {}, moveUp), QStringList({a, c}));
        QCOMPARE(f->prompts.texts(),
                 QStringList{"These files of the last list no longer exist and were left out:\n" + src + "b.avi"});
        const auto removeConverted = [](CConverterDlg* dlg) {
            dlg->fileList()->SetStatus(2, CVideoFileList::Status::Converted); // as a batch would
            dlg->OnCommand(CConverterDlg::ID_LIST_REMOVE_CONVERTED);
        };
        QCOMPARE(RunUntilListed(3, {f->program.file("d.avi")}, removeConverted),
                 QStringList({c, a, src + "d.avi 00:00:07 14x240 29.97"}));
        QCOMPARE(encoder.Runs().size(), 2); // one probe of the first three, one of d.avi: the kept files not again
        const auto removeAll = [](CConverterDlg* dlg) {
            QTest::keyClick(dlg->fileList(), Qt::Key_A, Qt::ControlModifier);
            dlg->OnCommand(CConverterDlg::IDC_REMOVE);
        };
        QCOMPARE(RunUntilListed(2, {}, removeAll), QStringList({c, a}));
        QCOMPARE(RunUntilListed(0), QStringList());
        QCOMPARE(f->prompts.texts().size(), 1);
    }
};

QTEST_MAIN(ConverterAppTest)
#include "converter_app_test.moc"
