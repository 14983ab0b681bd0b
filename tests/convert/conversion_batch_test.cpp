#include <QElapsedTimer>
#include <QtTest>

#include "convert/conversion_batch.h"
#include "convert/encoder_runner.h"
#include "convert/progress_sink.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "support/tick_source.h"

namespace fs = std::filesystem;

namespace {

using Outcomes = QList<FileOutcome>;

// Test-only progress sink: records what a batch shows and answers the stop question as queued (Yes when nothing
// is queued).
struct RecordingSink : ProgressSink {
    QStringList texts, messages;
    QList<int> positions;
    int started = 0, questions = 0;
    QList<bool> stopAnswers;
    std::function<void(const QString&)> onShow;

    void BatchStarted(const std::string& text) override {
        ++started;
        texts << QString::fromStdString(text);
        positions << 0;
    }
    void ShowProgress(const std::string& text, int perMille) override {
        texts << QString::fromStdString(text);
        positions << perMille;
        if (onShow)
            onShow(texts.last());
    }
    bool ConfirmStop() override {
        ++questions;
        return stopAnswers.isEmpty() || stopAnswers.takeFirst();
    }
    void BatchFinished(const BatchResult& result) override { messages << QString::fromStdString(result.message); }
};

// One batch with no window at all: the scripted encoder and prompts, a recording sink and a fake clock.
struct Fixture {
    TempDir tmp;
    FakeEncoder encoder{tmp.path()};
    EncoderRunner runner{QString::fromStdString(tmp.file("zezozov"))};
    ScriptedPrompts prompts;
    ConversionSettings settings;
    FileTable files;
    RecordingSink sink;
    TickSource clock;
    ConversionBatch batch{settings, files, prompts, nullptr, sink, runner};

    Fixture() {
        batch.SetTickSourceForTest(std::ref(clock));
        fs::create_directories(tmp.path() / "src");
    }
    ~Fixture() { fs::current_path(fs::temp_directory_path()); } // the batch enters its output folder

    std::string src(const std::string& name) const { return tmp.file("src/" + name); }
    std::string out(const std::string& name = "") const { return tmp.file("out/nested/") + name; }
    // Lists `path` (made with its folder) as a probed source that `scenario` converts.
    void List(const std::string& path, double duration = 10, const std::string& scenario = "produce") {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, "source");
        encoder.Script(fs::path(path).filename().string(), scenario);
        *files.ProbeEntry() = {path, duration, 320, 240, 25};
        files.AppendProbed(path);
    }
    Outcomes Convert(const std::string& folder = "") {
        result = batch.Convert(folder.empty() ? out() : folder);
        Outcomes all;
        for (const FileResult& file : result.files)
            all << file.outcome;
        return all;
    }
    QString message() const { return sink.messages.value(0); }

    BatchResult result;
};

} // namespace

// The batch on its own, with no window at all.
class ConversionBatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> f;

private slots:
    void init() { f = std::make_unique<Fixture>(); }
    void cleanup() { f.reset(); }

    // Three files of 300 s: a repeated position is not shown again; one past the end of the batch changes nothing.
    void progressFollowsTheReports() {
        const char* scenarios[] = {"produce; report 6 90", "produce; report 6 150; report 6 150",
                                   "produce; report 6 300; report 6 301"};
        for (int i = 0; i < 3; ++i)
            f->List(f->src("clip" + std::to_string(i) + ".avi"), 300, scenarios[i]);
        f->clock.ticks = {0, 27000, 135000, 270000, 270500, 271000};
        f->batch.SetWindowHandle(77);

        QCOMPARE(f->Convert(), Outcomes(3, FileOutcome::Converted));
        QCOMPARE(f->sink.texts,
                 (QStringList{kInitialProgressText, "Total time:00:04:30;Elapsed time:00:00:27;Finished 10.0%",
                              "Total time:00:04:30;Elapsed time:00:02:15;Finished 50.0%",
                              "Total time:00:04:30;Elapsed time:00:04:30;Finished 100.0%"}));
        QCOMPARE(f->sink.positions, (QList<int>{0, 100, 500, 1000}));
        // The first two stop short of their playing time, so the message goes on to name them.
        QVERIFY2(f->message().startsWith("Mission accomplished! Total Time:00:04:31\n\nThese files were converted, "
                                         "but their source ended early:"),
                 qPrintable(f->message()));
        QVERIFY(f->prompts.shown.isEmpty());
        QCOMPARE(f->encoder.Runs().size(), 3);
        QVERIFY2(f->encoder.Runs()[0].endsWith(" -endpos 9:0:0 0 77"), qPrintable(f->encoder.Runs()[0]));
        for (int i = 0; i < 3; ++i)
            QVERIFY(fs::exists(f->out("clip" + std::to_string(i) + ".avi")));
    }

    void longSourcesAreNotCut() {
        f->List(f->src("long.avi"), 9 * 3600 + 1);
        f->Convert();
        QVERIFY2(f->encoder.Runs().value(0).contains(" -endpos 10:0:0 0 "), qPrintable(f->encoder.Runs().value(0)));
    }

    // Yes: the current file's output goes, the earlier one stays, the rest never start, nothing is said. No: the
    // request is forgotten, so the reports that follow ask nothing more.
    void stopRequests_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void stopRequests() {
        QFETCH(bool, yes);
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            f->List(f->src(name), 300, "produce; report 6 1; report 6 2; report 6 3; report 6 4");
        f->sink.stopAnswers = {yes};
        f->clock.ticks = {0, 1000, 1000, 1000, 1000, 27000};
        f->sink.onShow = [this](const QString& text) {
            if (text == "Total time:00:01:20;Elapsed time:00:00:27;Finished 33.4%")
                f->batch.RequestCancel();
        };
        const Outcomes expected = yes ? Outcomes{FileOutcome::Converted, FileOutcome::Stopped, FileOutcome::NotStarted}
                                      : Outcomes(3, FileOutcome::Converted);
        QCOMPARE(f->Convert(), expected);
        QCOMPARE(f->sink.questions, 1);
        QCOMPARE(f->encoder.Runs().size(), yes ? 2 : 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(fs::exists(f->out(std::string(1, char('a' + i)) + ".avi")), expected[i] == FileOutcome::Converted);
        QCOMPARE(f->batch.State().cancelRequested, yes ? 1 : 0);
        QCOMPARE(f->sink.messages.size(), 1);
        QCOMPARE(f->message().isEmpty(), yes);
    }

    void quietEncoderAfterAStopRequestIsAskedAndEnded() {
        f->List(f->src("a.avi"), 300, "produce; report 6 1; exec sleep 30");
        f->List(f->src("b.avi"), 300);
        f->runner.SetStallTimeoutForTest(200);
        f->sink.onShow = [this](const QString&) { f->batch.RequestCancel(); };
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(f->Convert(), (Outcomes{FileOutcome::Stopped, FileOutcome::NotStarted}));
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(f->sink.questions, 1);
        QVERIFY(!fs::exists(f->out("a.avi")));
    }

    void failuresAreNamedAndTheBatchGoesOn() {
        f->List(f->src("a.avi"));
        f->List(f->src("b.avi"), 10, "fail 'Error while opening encoder for output stream #0:0'");
        f->List(f->src("c.avi"), 10, ": finishes without writing anything");
        QCOMPARE(f->Convert(), (Outcomes{FileOutcome::Converted, FileOutcome::Failed, FileOutcome::Failed}));
        QCOMPARE(f->result.files[1].errorText, std::string("Error while opening encoder for output stream #0:0"));
        QCOMPARE(f->result.files[2].errorText, std::string("the encoder wrote no output file"));
        QVERIFY2(f->message().startsWith("1 of 3 files converted. Total Time:"), qPrintable(f->message()));
        QVERIFY(f->message().contains(QString::fromStdString(f->src("b.avi")) + ": Error while opening encoder"));
        QVERIFY(!f->message().contains(QString::fromStdString(f->src("a.avi"))));
    }

    void missingEncoderEndsTheBatchAndSaysWhere() {
        f->List(f->src("a.avi"));
        f->List(f->src("b.avi"));
        fs::remove(f->tmp.file("zezozov"));
        QCOMPARE(f->Convert(), Outcomes(2, FileOutcome::NotStarted));
        QVERIFY2(f->message().contains(QString::fromStdString(f->tmp.file("zezozov"))), qPrintable(f->message()));
        QCOMPARE(f->result.severity, BatchResult::Severity::Error);
    }

    void refusedBeforeAnythingRuns_data() {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("folder"); // under the test's folder, which holds a file "blocker"
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << false << "blocker/sub"
                                    << "No file in the list";
        QTest::newRow("folder under a file") << true << "blocker/sub"
                                             << "Fail to create tmp folder %1";
        QTest::newRow("double quote") << true << "made/say \"cheese\""
                                      << "The output folder %1 can't be used: it holds a double quote";
    }
    void refusedBeforeAnythingRuns() {
        QFETCH(bool, withFile);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        if (withFile)
            f->List(f->src("a.avi"));
        WriteFile(f->tmp.file("blocker"), "a file, not a folder");
        const std::string path = f->tmp.file(folder.toStdString());
        f->Convert(path);
        QVERIFY(!f->result.started && !fs::exists(f->tmp.file("made")));
        QCOMPARE(f->prompts.texts().size(), 1);
        const QString expected = message.contains("%1") ? message.arg(QString::fromStdString(path)) : message;
        QVERIFY2(f->prompts.texts()[0].startsWith(expected), qPrintable(f->prompts.texts()[0]));
        QCOMPARE(f->sink.started, 0);
        QVERIFY(f->encoder.Runs().isEmpty());
    }

    // --- naming: nothing the user owns is overwritten or deleted ---------------------------------------------

    void neverWritesAFileOfTheBatch() {
        // Converting into the sources' own folder: a.avi would become a_avi.avi, which is itself listed.
        f->List(f->src("a.avi"));
        f->List(f->src("a_avi.avi"));
        QCOMPARE(f->Convert(f->tmp.file("src")), Outcomes(2, FileOutcome::Converted));
        QCOMPARE(ReadFile(f->src("a_avi.avi")), std::string("source"));
        QCOMPARE(ReadFile(f->src("a.avi")), std::string("source"));
        QCOMPARE(ReadFile(f->src("a_avi (2).avi")), std::string("converted"));
        QCOMPARE(ReadFile(f->src("a_avi_avi.avi")), std::string("converted"));
        QVERIFY(f->message().contains(QString::fromStdString(f->src("a_avi (2).avi"))));
    }

    void sameNamesFromThreeFoldersGiveThreeOutputs() {
        for (const char* folder : {"a", "b", "c"})
            f->List(f->src(std::string(folder) + "/clip.mp4"), 10, "produce; echo \"$in\" > \"$out\"");
        QCOMPARE(f->Convert(), Outcomes(3, FileOutcome::Converted));
        // Each output holds its own source; the third does not overwrite the second.
        QCOMPARE(ReadFile(f->out("clip.avi")), f->src("a/clip.mp4") + "\n");
        QCOMPARE(ReadFile(f->out("clip_mp4.avi")), f->src("b/clip.mp4") + "\n");
        QCOMPARE(ReadFile(f->out("clip_mp4 (2).avi")), f->src("c/clip.mp4") + "\n");
        QVERIFY2(f->message().contains(
                     QString::fromStdString(f->out("clip_mp4 (2).avi") + " instead of " + f->out("clip_mp4.avi"))),
                 qPrintable(f->message()));
    }

    // The user's own "b c_mp4.avi" beside "b c.avi" is where "b c.mp4" goes: it is moved to the trash first, and
    // where the trash can't take it safely, the output gets the next free name instead.
    void oldFilesGoToTheTrash_data() {
        QTest::addColumn<QString>("old");
        QTest::newRow("trash takes it") << "trash";
        QTest::newRow("no trash folder") << "no trash";
        QTest::newRow("Trash/files holds that name without its info") << "taken in trash";
        QTest::newRow("dangling link") << "link";
    }
    void oldFilesGoToTheTrash() {
        QFETCH(QString, old);
        const std::string data = f->tmp.file("data"), plain = f->out("b c_mp4.avi"), elsewhere = f->tmp.file("x.avi");
        // Someone else's file where the trash folder would be, or in it under the name the old file would take.
        const std::string stranger = data + (old == "no trash" ? "/Trash" : "/Trash/files/b c_mp4.avi");
        fs::create_directories(fs::path(stranger).parent_path());
        if (old == "no trash" || old == "taken in trash")
            WriteFile(stranger, "stranger's");
        fs::create_directories(f->out());
        WriteFile(f->out("b c.avi"), "user's b c.avi");
        if (old == "link")
            fs::create_symlink(elsewhere, plain);
        else
            WriteFile(plain, "user's b c_mp4.avi");
        f->List(f->src("b c.mp4"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data));
        QCOMPARE(f->Convert(), Outcomes{FileOutcome::Converted});
        qunsetenv("XDG_DATA_HOME");

        QCOMPARE(ReadFile(f->out("b c.avi")), std::string("user's b c.avi"));
        QCOMPARE(ReadFile(old == "trash" ? plain : f->out("b c_mp4 (2).avi")), std::string("converted"));
        if (old == "trash") {
            QCOMPARE(ReadFile(stranger), std::string("user's b c_mp4.avi"));
            const std::string info = ReadFile(data + "/Trash/info/b c_mp4.avi.trashinfo");
            QVERIFY2(info.starts_with("[Trash Info]\nPath=" + f->out("b%20c_mp4.avi\n")), info.c_str());
            QVERIFY(
                f->message().contains("These old files were moved to the trash:\n" + QString::fromStdString(plain)));
        } else if (old == "link") {
            QVERIFY(fs::is_symlink(plain) && !fs::exists(elsewhere));
        } else {
            QCOMPARE(ReadFile(plain), std::string("user's b c_mp4.avi"));
            QCOMPARE(ReadFile(stranger), std::string("stranger's"));
        }
    }

    // --- leftovers and results that can't be trusted ---------------------------------------------------------

    void noPartialFileAfterAFailedOrStoppedRun_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<FileOutcome>("outcome");
        const QString partial = "printf x > \"$(dirname \"$out\")/.$(basename \"$out\" .avi).zezozov-part.avi\"; ";
        QTest::newRow("killed") << partial + "kill -9 $$" << FileOutcome::Failed;
        QTest::newRow("stopped") << partial + "produce; report 6 1; report 6 2" << FileOutcome::Stopped;
    }
    void noPartialFileAfterAFailedOrStoppedRun() {
        QFETCH(QString, scenario);
        QFETCH(FileOutcome, outcome);
        f->List(f->src("a.avi"), 10, scenario.toStdString());
        f->sink.onShow = [this](const QString&) { f->batch.RequestCancel(); };
        QCOMPARE(f->Convert(), Outcomes{outcome});
        QVERIFY(fs::exists(f->out()));
        QVERIFY(!fs::exists(f->out(".a.zezozov-part.avi")));
        QVERIFY(!fs::exists(f->out("a.avi")));
    }

    // Positions come in whole seconds: a shortfall counts beyond one second and 2% of the playing time.
    void aSourceThatEndsEarlyIsNamed_data() {
        QTest::addColumn<int>("lastPosition");
        QTest::addColumn<bool>("warned");
        QTest::newRow("one second short") << 99 << false;
        QTest::newRow("2% short") << 98 << false;
        QTest::newRow("10% short") << 90 << true;
    }
    void aSourceThatEndsEarlyIsNamed() {
        QFETCH(int, lastPosition);
        QFETCH(bool, warned);
        f->List(f->src("a.avi"), 100, "report 6 0; report 6 " + std::to_string(lastPosition) + "; produce");
        QCOMPARE(f->Convert(), Outcomes{FileOutcome::Converted});
        QCOMPARE(f->result.files[0].endedEarly, warned);
        QCOMPARE(f->result.severity, warned ? BatchResult::Severity::Warning : BatchResult::Severity::Information);
        QCOMPARE(f->message().contains(QString::fromStdString(f->out("a.avi: 00:01:30 of ") + f->src("a.avi"))),
                 warned);
    }

    // --- the encoder's report protocol -----------------------------------------------------------------------

    void reportProtocol_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<FileOutcome>("outcome");
        QTest::addColumn<QString>("error");
        // Every line is answered: an encoder waiting for a reply to a malformed line must not wait for ever.
        QTest::newRow("malformed lines answered") << "for l in 'x' '6' '6 a b' ''; do echo \"$l\"; read r; "
                                                     "[ \"$r\" = 0 ] || exit 9; done; produce"
                                                  << FileOutcome::Converted << "";
        QTest::newRow("line without end") << "head -c 100000000 /dev/zero | tr '\\0' x; produce" << FileOutcome::Failed
                                          << "a report line longer than 4096 bytes";
        QTest::newRow("long line") << "head -c 5000 /dev/zero | tr '\\0' 7; echo; read r; produce"
                                   << FileOutcome::Failed << "a report line longer than 4096 bytes";
        // 200 KiB of diagnostics, then the line that says why: the last 64 KiB are kept.
        QTest::newRow("long diagnostics") << "head -c 204800 /dev/zero | tr '\\0' e >&2; echo >&2; fail 'the reason'"
                                          << FileOutcome::Failed << "the reason";
    }
    void reportProtocol() {
        QFETCH(QString, scenario);
        QFETCH(FileOutcome, outcome);
        QFETCH(QString, error);
        f->List(f->src("a.avi"), 10, scenario.toStdString());
        QCOMPARE(f->Convert(), Outcomes{outcome});
        QVERIFY2(QString::fromStdString(f->result.files[0].errorText).contains(error),
                 f->result.files[0].errorText.c_str());
    }

    void probeStartsEveryFileFromNothing() {
        // The first file reports every fact and then fails; the second leaves out its frame rate. Neither may
        // be listed, and the second must not borrow the first one's rate.
        const std::pair<const char*, const char*> files[] = {
            {"full.avi", "report 1 10; report 2 320; report 3 240; report 4 250000000; exit 3"},
            {"partial.avi", "report 1 10; report 2 320; report 3 240"},
            {"good.avi", "report 1 12; report 2 640; report 3 480; report 4 299700300"},
        };
        QList<bool> accepted;
        for (const auto& [name, scenario] : files) {
            WriteFile(f->src(name), "source");
            f->encoder.Script(name, scenario);
            accepted << f->batch.Probe(f->src(name)).accepted;
        }
        QCOMPARE(accepted, (QList<bool>{false, false, true}));
        const VideoFileEntry& entry = f->files.entries[0];
        QCOMPARE(entry.duration, 12.0);
        QCOMPARE(entry.sourceWidth, 640);
        QVERIFY(qAbs(entry.sourceFrameRate - 29.97) < 0.001);
        QVERIFY2(f->encoder.Runs()[0].contains(" 1 0"), qPrintable(f->encoder.Runs()[0]));
    }
};

QTEST_MAIN(ConversionBatchTest)
#include "conversion_batch_test.moc"
