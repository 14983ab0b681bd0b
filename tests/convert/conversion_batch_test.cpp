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
using enum FileOutcome;

// Test-only progress sink: records what a batch shows and answers the stop question as queued (Yes when nothing
// is queued).
struct RecordingSink : ProgressSink {
    QStringList shown, messages; // "perMille text" for each display
    int questions = 0;
    QList<bool> stopAnswers;
    int thinkMs = 0; // how long the user takes to answer, events going on meanwhile as under a message box
    std::function<void(const QString&)> onShow;

    void BatchStarted(const std::string& text) override { shown << "0 " + QString::fromStdString(text); }
    void ShowProgress(const std::string& text, int perMille) override {
        shown << QString::number(perMille) + " " + QString::fromStdString(text);
        if (onShow)
            onShow(QString::fromStdString(text));
    }
    bool ConfirmStop() override {
        ++questions;
        if (thinkMs)
            QTest::qWait(thinkMs);
        return stopAnswers.isEmpty() || stopAnswers.takeFirst();
    }
    void BatchFinished(const BatchResult& result) override { messages << QString::fromStdString(result.message); }
};

// A folder's entries, sorted: "name=content", "name->target" for a link, "name/" for a folder.
QString Listing(const std::string& folder) {
    QStringList all;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
        all << QString::fromStdString(e.path().filename().string() +
                                      (e.is_symlink()     ? "->" + fs::read_symlink(e).filename().string()
                                       : e.is_directory() ? "/"
                                                          : "=" + ReadFile(e.path().string())));
    all.sort();
    return all.join("; ");
}

// One batch with no window at all: the scripted encoder and prompts, a recording sink and a fake clock.
struct Fixture {
    TempDir tmp;
    FakeEncoder encoder{tmp.path()};
    EncoderRunner runner{tmp.file("zezozov")};
    ScriptedPrompts prompts;
    ConversionSettings settings;
    FileTable files;
    RecordingSink sink;
    TickSource clock;
    ConversionBatch batch{settings, files, prompts, nullptr, sink, runner};
    BatchResult result;

    Fixture() { batch.SetTickSourceForTest(std::ref(clock)); }
    ~Fixture() { fs::current_path(fs::temp_directory_path()); } // the batch enters its output folder

    std::string src(const std::string& name) const { return tmp.file("src/" + name); }
    std::string out(const std::string& name = "") const { return tmp.file("out/nested/") + name; }
    // Lists src/`name` (made with its folder) as a probed source that `scenario` converts.
    void List(const std::string& name, double duration = 100, const std::string& scenario = "produce") {
        const std::string path = src(name);
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
};

} // namespace

// The batch on its own, with no window at all.
class ConversionBatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> f;
    TempDir m_data; // the desktop's data folder, with its trash, for the whole run: GIO reads its place only once

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_data.path().string())); }
    void init() {
        fs::remove_all(m_data.file("Trash"));
        f = std::make_unique<Fixture>();
    }
    void cleanup() { f.reset(); }

    // Three files of 300 s: a repeated position is not shown again; one past the end of the batch changes nothing.
    void progressFollowsTheReports() {
        const char* scenarios[] = {"produce; report 6 90", "produce; report 6 150; report 6 150",
                                   "produce; report 6 300; report 6 301"};
        for (int i = 0; i < 3; ++i)
            f->List("clip" + std::to_string(i) + ".avi", 300, scenarios[i]);
        f->clock.ticks = {0, 27000, 135000, 270000, 270500, 271000};
        f->batch.SetWindowHandle(77);

        QCOMPARE(f->Convert(), Outcomes(3, Converted));
        QCOMPARE(f->sink.shown, (QStringList{QString("0 ") + kInitialProgressText,
                                             "100 Total time:00:04:30;Elapsed time:00:00:27;Finished 10.0%",
                                             "500 Total time:00:04:30;Elapsed time:00:02:15;Finished 50.0%",
                                             "1000 Total time:00:04:30;Elapsed time:00:04:30;Finished 100.0%"}));
        // The first two stop short of their playing time: the message names them, as a warning.
        QVERIFY2(
            f->message().startsWith("Mission accomplished! Total Time:00:04:31\n\nThese files were converted, "
                                    "but their source ended early:\n" +
                                    QString::fromStdString(f->out("clip0.avi: 00:01:30 of ") + f->src("clip0.avi"))),
            qPrintable(f->message()));
        QCOMPARE(f->result.severity, BatchResult::Severity::Warning);
        QVERIFY(f->prompts.shown.isEmpty());
        QCOMPARE(f->encoder.Runs().size(), 3);
        QVERIFY2(f->encoder.Runs()[0].endsWith(" -endpos 9:0:0 0 77"), qPrintable(f->encoder.Runs()[0]));
    }

    // One batch, each file scripted to end its own way: every ending is told apart, and the batch goes on.
    void eachFileEndsItsOwnWay() {
        // What an encoder ended from outside leaves: its private folder, even the file at the name it was given.
        const std::string left = "d=\"$(dirname \"$out\")/.$(basename \"$out\").zezozov-Ab12Cd\"; mkdir \"$d\"; printf "
                                 "x > \"$d/a.avi\"; printf x > \"$out\"; ";
        // Each row: file, scenario, outcome, a part of the error text, ended early.
        const std::tuple<const char*, std::string, FileOutcome, const char*, bool> rows[] = {
            {"fine.avi", "produce", Converted, "", false},
            {"opening.avi", "fail 'Error while opening encoder for output stream #0:0'", Failed,
             "Error while opening encoder for output stream #0:0", false},
            {"quiet.avi", ": finishes without writing anything", Failed, "the encoder wrote no output file", false},
            // Every report line is answered, one that doesn't parse with 0: the encoder waits for its reply.
            {"malformed.avi",
             "for l in 'x' '6' '6 a b' ''; do echo \"$l\"; read r; [ \"$r\" = 0 ] || exit 9; done; "
             "produce",
             Converted, "", false},
            {"endless.avi", "head -c 100000000 /dev/zero | tr '\\0' x; produce", Failed,
             "a report line longer than 4096 bytes", false},
            {"long.avi", "head -c 5000 /dev/zero | tr '\\0' 7; echo; read r; produce", Failed,
             "a report line longer than 4096 bytes", false},
            // Of 200 KiB of diagnostics the last 64 KiB are kept: they end with the line that says why.
            {"chatty.avi", "head -c 204800 /dev/zero | tr '\\0' e >&2; echo >&2; fail 'the reason'", Failed,
             "the reason", false},
            // An encoder killed from outside can't remove what it left: the batch does.
            {"killed.avi", left + "kill -9 $$", Failed, "", false},
            // Positions come in whole seconds: a shortfall counts beyond one second and 2% of the playing time.
            {"second.avi", "report 6 0; report 6 99; produce", Converted, "", false},
            {"two.avi", "report 6 98; produce", Converted, "", false},
            {"ten.avi", "report 6 90; produce", Converted, "", true},
        };
        // The user's older killed_avi.avi (killed.avi's output, as killed.avi is taken) stays: no file of a failed
        // run goes to the trash.
        fs::create_directories(f->out());
        for (const char* name : {"killed.avi", "killed_avi.avi"})
            WriteFile(f->out(name), "user's");
        bool first = true; // over nine hours long
        for (const auto& [name, scenario, outcome, error, early] : rows)
            f->List(name, std::exchange(first, false) ? 9 * 3600 + 1 : 100, scenario);
        f->Convert();
        QVERIFY2(f->encoder.Runs()[0].contains(" -endpos 10:0:0 0 "), qPrintable(f->encoder.Runs()[0])); // not cut
        std::size_t i = 0;
        for (const auto& [name, scenario, outcome, error, early] : rows) {
            const FileResult& file = f->result.files.at(i++);
            QVERIFY2(file.outcome == outcome && file.endedEarly == early &&
                         QString::fromStdString(file.errorText).contains(error),
                     qPrintable(QString("%1: %2").arg(name, file.errorText.c_str())));
            QCOMPARE(f->message().contains(QString::fromStdString(f->src(name))), outcome == Failed || early);
        }
        QVERIFY2(f->message().startsWith("5 of 11 files converted. Total Time:"), qPrintable(f->message()));
        QCOMPARE(Listing(f->out()), QString("fine.avi=converted; killed.avi=user's; killed_avi.avi=user's; "
                                            "malformed.avi=converted; second.avi=converted; ten.avi=converted; "
                                            "two.avi=converted")); // and no partial file
    }

    // Yes: the current file's output goes (the older b_avi.avi stays), the earlier one stays, the rest never
    // start, nothing is said. No: the request is forgotten, so the reports that follow ask nothing more. The user
    // takes a while to answer: the quiet encoder's check comes round meanwhile and must not ask again (a second
    // question would get the other answer).
    void stopRequests_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void stopRequests() {
        QFETCH(bool, yes);
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            f->List(name, 300, "produce; report 6 1; report 6 2; report 6 3; report 6 4");
        fs::create_directories(f->out());
        for (const char* name : {"b.avi", "b_avi.avi"})
            WriteFile(f->out(name), "user's");
        f->sink.stopAnswers = {yes, !yes};
        f->sink.thinkMs = 800;
        f->runner.SetStallTimeoutForTest(100);
        f->clock.ticks = {0, 1000, 1000, 1000, 1000, 27000};
        f->sink.onShow = [this](const QString& text) {
            if (text == "Total time:00:01:20;Elapsed time:00:00:27;Finished 33.4%")
                f->batch.RequestCancel();
        };
        QCOMPARE(f->Convert(), (yes ? Outcomes{Converted, Stopped, NotStarted} : Outcomes(3, Converted)));
        QCOMPARE(f->sink.questions, 1);
        QCOMPARE(f->encoder.Runs().size(), yes ? 2 : 3);
        QCOMPARE(Listing(f->out()),
                 QString(yes ? "a.avi=converted; b.avi=user's; b_avi.avi=user's"
                             : "a.avi=converted; b.avi=user's; b_avi.avi=converted; c.avi=converted"));
        QCOMPARE(f->batch.State().cancelRequested, yes ? 1 : 0);
        QCOMPARE(f->sink.messages.size(), 1);
        QCOMPARE(f->message().isEmpty(), yes);
        // The next batch starts afresh: the stop was this batch's.
        f->sink.onShow = {};
        QCOMPARE(f->Convert(), Outcomes(3, Converted));
        QCOMPARE(f->sink.questions, 1);
    }

    void quietEncoderAfterAStopRequestIsAskedAndEnded() {
        f->List("a.avi", 300, "produce; report 6 1; exec sleep 30");
        f->List("b.avi", 300);
        f->runner.SetStallTimeoutForTest(200);
        f->sink.onShow = [this](const QString&) { f->batch.RequestCancel(); };
        QCOMPARE(f->Convert(), (Outcomes{Stopped, NotStarted}));
        QCOMPARE(f->sink.questions, 1);
        QCOMPARE(Listing(f->out()), QString());
    }

    void missingEncoderEndsTheBatchAndSaysWhere() {
        f->List("a.avi");
        f->List("b.avi");
        fs::remove(f->tmp.file("zezozov"));
        QCOMPARE(f->Convert(), Outcomes(2, NotStarted));
        QVERIFY2(f->message().contains(QString::fromStdString(f->tmp.file("zezozov"))), qPrintable(f->message()));
        QCOMPARE(f->result.severity, BatchResult::Severity::Error);
    }

    void refusedBeforeAnythingRuns() {
        const std::tuple<const char*, const char*, QString> rows[] = {
            {"", "blocker/sub", "No file in the list"},
            {"a.avi", "blocker/sub", "Fail to create tmp folder %1"}, // under a file
            {"a.avi", "made/say \"cheese\"", "The output folder %1 can't be used: it holds a double quote"},
        };
        for (const auto& [source, folder, message] : rows) {
            Fixture b;
            if (*source)
                b.List(source);
            WriteFile(b.tmp.file("blocker"), "a file, not a folder");
            const std::string path = b.tmp.file(folder);
            b.Convert(path);
            const QStringList shown = b.prompts.texts();
            QVERIFY2(
                !b.result.started && shown.size() == 1 && b.sink.shown.isEmpty() && b.encoder.Runs().isEmpty() &&
                    !fs::exists(b.tmp.file("made")) &&
                    shown[0].startsWith(message.contains("%1") ? message.arg(QString::fromStdString(path)) : message),
                qPrintable(folder + (": " + shown.join(", "))));
        }
    }

    // --- naming: nothing the user owns is overwritten or deleted ---------------------------------------------

    // An output never takes the name of a listed source or of an earlier output: it is numbered instead. Here the
    // batch converts into its sources' own folder, where a.avi would become a_avi.avi, itself listed.
    void namesTakenInTheBatchAreNumbered() {
        for (const char* name : {"a.avi", "a_avi.avi", "x/clip.mp4", "y/clip.mp4", "z/clip.mp4"})
            f->List(name, 10, "produce; echo \"${in#*/src/}\" > \"$out\"");
        QCOMPARE(f->Convert(f->tmp.file("src")), Outcomes(5, Converted));
        QCOMPARE(
            Listing(f->tmp.file("src")),
            QString("a.avi=source; a_avi (2).avi=a.avi\n; a_avi.avi=source; a_avi_avi.avi=a_avi.avi\n; "
                    "clip.avi=x/clip.mp4\n; clip_mp4 (2).avi=z/clip.mp4\n; clip_mp4.avi=y/clip.mp4\n; x/; y/; z/"));
        QVERIFY2(f->message().contains(
                     QString::fromStdString(f->src("clip_mp4 (2).avi instead of ") + f->src("clip_mp4.avi"))),
                 qPrintable(f->message()));
        QCOMPARE(f->result.severity, BatchResult::Severity::Information);
    }

    // Converting some files again: an output an earlier batch made stays, even where the trash could take it, and its
    // name goes to no other file; the progress is of these files alone.
    void someFilesAgainKeepTheOwnOutputs() {
        for (const char* name : {"x/clip.mp4", "y/clip.mp4", "z/clip.mp4"})
            f->List(name, 10, "produce; echo \"${in#*/src/}\" > \"$out\"; report 6 10");
        fs::create_directories(f->out());
        WriteFile(f->out("clip.avi"), "x");
        WriteFile(f->out("clip_mp4.avi"), "y");
        f->result = f->batch.ConvertRows(f->out(), {2}, {f->out("clip.avi"), f->out("clip_mp4.avi")});
        QCOMPARE(f->result.files.size(), std::size_t(1));
        QCOMPARE(f->result.files[0].row, 2);
        QCOMPARE(Listing(f->out()), QString("clip.avi=x; clip_mp4 (2).avi=z/clip.mp4\n; clip_mp4.avi=y"));
        QCOMPARE(Listing(m_data.file("Trash/files")), QString());
        QVERIFY2(f->sink.shown.last().startsWith("1000 "), qPrintable(f->sink.shown.last()));
    }

    // The user's own "b c_mp4.avi" beside "b c.avi" is where "b c.mp4" goes: once the new file is whole, the old one
    // is moved to the trash (beside a stray file of its name there without its info file, which is kept), and where the
    // trash can't take it, the output gets the next free name instead.
    void oldFilesGoToTheTrash_data() {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("outputs");
        const QString kept = "b c.avi=user's; b c_mp4 (2).avi=converted; b c_mp4.avi=user's";
        const QString replaced = "b c.avi=user's; b c_mp4.avi=converted";
        QTest::newRow("trash takes it") << "trash" << replaced;
        QTest::newRow("no trash folder") << "no trash" << kept;
        QTest::newRow("Trash/files holds that name without its info") << "taken in trash" << replaced;
        QTest::newRow("dangling link") << "link"
                                       << "b c.avi=user's; b c_mp4 (2).avi=converted; b c_mp4.avi->x.avi";
    }
    void oldFilesGoToTheTrash() {
        QFETCH(QString, old);
        QFETCH(QString, outputs);
        const std::string trash = m_data.file("Trash"), plain = f->out("b c_mp4.avi");
        // Someone else's file where the trash folder would be, or in it under the name the old file would take.
        const std::string stranger = old == "no trash" ? trash : trash + "/files/b c_mp4.avi";
        fs::create_directories(fs::path(stranger).parent_path());
        if (old == "no trash" || old == "taken in trash")
            WriteFile(stranger, "stranger's");
        fs::create_directories(f->out());
        WriteFile(f->out("b c.avi"), "user's");
        if (old == "link")
            fs::create_symlink(f->tmp.file("x.avi"), plain);
        else
            WriteFile(plain, "user's");
        f->List("b c.mp4");
        QCOMPARE(f->Convert(), Outcomes{Converted});
        const QString trashed = Listing(trash + "/files"), trashInfo = Listing(trash + "/info");

        QCOMPARE(Listing(f->out()), outputs);
        QVERIFY(!fs::exists(f->tmp.file("x.avi")));
        const bool replaced = outputs.endsWith("b c_mp4.avi=converted");
        // A stray file without its info file keeps its content and is given one; the old file takes the next name.
        QCOMPARE(trashed, old == "taken in trash" ? "b c_mp4.2.avi=user's; b c_mp4.avi=stranger's"
                          : replaced              ? "b c_mp4.avi=user's"
                                                  : "");
        QCOMPARE(trashInfo.count(".trashinfo="), trashed.count('='));
        QCOMPARE(f->message().contains("These old files were moved to the trash:\n" + QString::fromStdString(plain)),
                 replaced);
    }

    // One list probe over files the encoder treats differently: each is told once, with its own facts or
    // reason; a file that ends the encoder is refused and the next run goes on after it; a stop ends it all at once.
    void probeTellsEveryFileOnce() {
        const std::pair<const char*, const char*> files[] = {
            {"partial.avi", "report 1 10; report 2 320; report 3 240"},
            {"rate only.avi", "report 4 250000000"},
            {"bad.avi", "echo 'zezozov: bad.avi: no video stream' >&2; exit 3"},
            {"good.avi", "report 1 12; report 2 640; report 3 480; report 4 299700300"},
            {"crash.avi", "kill -9 $$"},
            {"quote\".avi", "report 1 12; report 2 640; report 3 480; report 4 299700300"},
            {"no rate.avi", "report 1 10; report 2 320; report 3 240; report 4 0"},
            {"slow.avi", "exec sleep 30"},
            {"after.avi", "report 1 12; report 2 640; report 3 480; report 4 299700300"},
        };
        std::vector<std::string> paths;
        for (const auto& [name, scenario] : files) {
            f->encoder.Script(name, scenario);
            paths.push_back(f->tmp.file(name));
        }
        QStringList told;
        QTimer::singleShot(1500, [this] { f->batch.RequestCancel(); });
        const ConversionBatch::ProbeEnd end =
            f->batch.ProbeFiles(paths, [&](std::size_t place, const ConversionBatch::ProbeResult& result) {
                told << QString("%1 %2 %3").arg(files[place].first).arg(result.accepted).arg(result.reason.c_str());
                if (result.accepted)
                    f->files.AppendProbed(paths[place]);
            });
        const QString none = "The encoder gave no playing time, frame size or frame rate for it.";
        // A name the encoder can't be given is refused before the run.
        QCOMPARE(told, (QStringList{QString("quote\".avi 0 The path %1 holds a double quote, which can't be passed to "
                                            "the encoder.")
                                        .arg(paths[5].c_str()),
                                    "partial.avi 0 " + none, "rate only.avi 0 " + none,
                                    "bad.avi 0 zezozov: bad.avi: no video stream", "good.avi 1 ",
                                    "crash.avi 0 the encoder crashed", "no rate.avi 0 " + none}));
        QCOMPARE(end.reached, std::size_t(7));
        QCOMPARE(f->files.fileCount, 1);
        const VideoFileEntry& e = f->files.entries[0];
        QCOMPARE(QString("%1 s %2 %3 fps").arg(e.duration).arg(e.sourceWidth).arg(e.sourceFrameRate),
                 "12 s 640 29.97 fps");
        const QStringList runs = f->encoder.Runs();
        QCOMPARE(runs.size(), 2);
        QVERIFY2(runs[1].startsWith(QString::fromStdString(paths[6])) && runs[1].endsWith(" 2 0"), qPrintable(runs[1]));
    }
};

QTEST_MAIN(ConversionBatchTest)
#include "conversion_batch_test.moc"
