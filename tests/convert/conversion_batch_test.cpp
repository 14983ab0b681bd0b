#include <deque>

#include <QElapsedTimer>
#include <QtTest>

#include "convert/conversion_batch.h"
#include "convert/encoder_runner.h"
#include "convert/progress_sink.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Test-only progress sink: records what a batch shows and answers the stop question as queued (Yes when
// nothing is queued).
struct RecordingSink : ProgressSink {
    QStringList texts;
    QList<int> positions;
    QStringList messages;
    int started = 0;
    int questions = 0;
    std::deque<bool> stopAnswers;
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
            onShow(QString::fromStdString(text));
    }
    bool ConfirmStop() override {
        ++questions;
        if (stopAnswers.empty())
            return true;
        const bool stop = stopAnswers.front();
        stopAnswers.pop_front();
        return stop;
    }
    void BatchFinished(const BatchResult& result) override { messages << QString::fromStdString(result.message); }
};

using Outcomes = QList<FileOutcome>;

} // namespace

// The batch on its own, with no window at all: a recording sink, scripted prompts and the scripted encoder.
class ConversionBatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_tmp;
    std::unique_ptr<FakeEncoder> m_encoder;
    std::unique_ptr<EncoderRunner> m_runner;
    ScriptedPrompts m_prompts;
    ConversionSettings m_settings;
    FileTable m_files;
    RecordingSink m_sink;
    std::unique_ptr<ConversionBatch> m_batch;
    std::deque<std::uint64_t> m_ticks;

    std::string src(const std::string& name) const { return m_tmp->file("src/" + name); }
    std::string out() const { return m_tmp->file("out/nested/"); }
    bool converted(const std::string& name) const { return fs::exists(out() + name); }

    // Lists the files with their durations and scenarios, as if they had been probed.
    void listFiles(const std::vector<std::pair<std::string, double>>& files, const std::string& scenario = "produce") {
        for (const auto& [name, duration] : files) {
            WriteFile(src(name), "source");
            m_encoder->Script(name, scenario);
            VideoFileEntry* entry = m_files.ProbeEntry();
            *entry = {src(name), duration, 320, 240, 25};
            m_files.AppendProbed(src(name));
        }
    }

    static Outcomes outcomes(const BatchResult& result) {
        Outcomes all;
        for (const FileResult& file : result.files)
            all << file.outcome;
        return all;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<TempDir>();
        fs::create_directories(m_tmp->path() / "src");
        m_encoder = std::make_unique<FakeEncoder>(m_tmp->path());
        m_runner = std::make_unique<EncoderRunner>(QString::fromStdString(m_tmp->file("zezozov")));
        m_prompts = ScriptedPrompts();
        m_settings = ConversionSettings();
        m_files = FileTable();
        m_sink = RecordingSink();
        m_batch = std::make_unique<ConversionBatch>(m_settings, m_files, m_prompts, nullptr, m_sink, *m_runner);
        m_ticks.clear();
        m_batch->SetTickSourceForTest([this] {
            if (m_ticks.empty())
                return std::uint64_t(999999);
            const auto t = m_ticks.front();
            m_ticks.pop_front();
            return t;
        });
    }
    void cleanup() {
        m_batch.reset();
        fs::current_path(fs::temp_directory_path());
        m_tmp.reset();
    }

    void progressFollowsTheReports_data() {
        QTest::addColumn<QList<double>>("durations");
        QTest::addColumn<QStringList>("scenarios");
        QTest::addColumn<QList<qulonglong>>("ticks");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QString>("endMessage");

        // Two files of 300 s: at 150 s into the second, 90 s after the start, three quarters are done.
        QTest::newRow("two files") << QList<double>{300, 300}
                                   << QStringList{"produce; report 6 100", "produce; report 6 150"}
                                   << QList<qulonglong>{1000, 46000, 91000, 121000}
                                   << QStringList{"Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%",
                                                  "Total time:00:04:30;Elapsed time:00:00:45;Finished 16.6%",
                                                  "Total time:00:02:00;Elapsed time:00:01:30;Finished 75.0%"}
                                   << QList<int>{0, 166, 750} << "Mission accomplished! Total Time:00:02:00";
        // A repeated position is not shown again; a position past the end of the batch changes nothing.
        QTest::newRow("three files") << QList<double>{300, 300, 300}
                                     << QStringList{"produce; report 6 90", "produce; report 6 150; report 6 150",
                                                    "produce; report 6 300; report 6 301"}
                                     << QList<qulonglong>{0, 27000, 135000, 270000, 270500, 271000}
                                     << QStringList{"Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%",
                                                    "Total time:00:04:30;Elapsed time:00:00:27;Finished 10.0%",
                                                    "Total time:00:04:30;Elapsed time:00:02:15;Finished 50.0%",
                                                    "Total time:00:04:30;Elapsed time:00:04:30;Finished 100.0%"}
                                     << QList<int>{0, 100, 500, 1000} << "Mission accomplished! Total Time:00:04:31";
    }
    void progressFollowsTheReports() {
        QFETCH(QList<double>, durations);
        QFETCH(QStringList, scenarios);
        QFETCH(QList<qulonglong>, ticks);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, positions);
        QFETCH(QString, endMessage);
        for (int i = 0; i < durations.size(); ++i)
            listFiles({{"clip" + std::to_string(i) + ".avi", durations[i]}}, scenarios[i].toStdString());
        m_ticks.assign(ticks.begin(), ticks.end());
        m_batch->SetWindowHandle(77);

        const BatchResult result = m_batch->Convert(out());

        QCOMPARE(m_sink.texts, texts);
        QCOMPARE(m_sink.positions, positions);
        // The scripted positions stop short of the durations, so the message goes on to name those files as
        // ended early (checked on its own below).
        QCOMPARE(m_sink.messages.size(), 1);
        QVERIFY2(
            m_sink.messages[0].startsWith(endMessage + "\n\nThese files were converted, but their source ended early:"),
            qPrintable(m_sink.messages[0]));
        QCOMPARE(outcomes(result), Outcomes(durations.size(), FileOutcome::Converted));
        QVERIFY(m_prompts.shown.isEmpty());
        QCOMPARE(m_encoder->Runs().size(), durations.size());
        QVERIFY2(m_encoder->Runs()[0].endsWith(" -endpos 9:0:0 0 77"), qPrintable(m_encoder->Runs()[0]));
        for (int i = 0; i < durations.size(); ++i)
            QVERIFY(converted("clip" + std::to_string(i) + ".avi"));
    }

    void stopRequests_data() {
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<Outcomes>("expected");
        QTest::addColumn<int>("runs");
        // Yes: the current file's output goes, the earlier one stays, the rest never start, nothing is said.
        QTest::newRow("yes") << QList<bool>{true} << 1
                             << Outcomes{FileOutcome::Converted, FileOutcome::Stopped, FileOutcome::NotStarted} << 2;
        // No: the request is forgotten, so the reports that follow ask nothing more.
        QTest::newRow("no") << QList<bool>{false} << 1 << Outcomes(3, FileOutcome::Converted) << 3;
    }
    void stopRequests() {
        QFETCH(QList<bool>, answers);
        QFETCH(int, questions);
        QFETCH(Outcomes, expected);
        QFETCH(int, runs);
        listFiles({{"a.avi", 300}, {"b.avi", 300}, {"c.avi", 300}},
                  "produce; report 6 1; report 6 2; report 6 3; report 6 4");
        m_sink.stopAnswers.assign(answers.begin(), answers.end());
        m_ticks = {0, 1000, 1000, 1000, 1000, 27000};
        m_sink.onShow = [this](const QString& text) {
            if (text == "Total time:00:01:20;Elapsed time:00:00:27;Finished 33.4%")
                m_batch->RequestCancel();
        };

        const BatchResult result = m_batch->Convert(out());

        QCOMPARE(m_sink.questions, questions);
        QCOMPARE(outcomes(result), expected);
        QCOMPARE(m_encoder->Runs().size(), runs);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(converted(std::string(1, char('a' + i)) + ".avi"), expected[i] == FileOutcome::Converted);
        QCOMPARE(m_batch->State().cancelRequested, answers[0] ? 1 : 0);
        QCOMPARE(m_sink.messages.size(), 1);
        QCOMPARE(m_sink.messages[0].isEmpty(), answers[0]);
    }

    void quietEncoderAfterAStopRequestIsAskedAndEnded() {
        listFiles({{"a.avi", 300}, {"b.avi", 300}});
        m_encoder->Script("a.avi", "produce; report 6 1; exec sleep 30");
        m_runner->SetStallTimeoutForTest(200);
        m_sink.onShow = [this](const QString&) { m_batch->RequestCancel(); };
        QElapsedTimer timer;
        timer.start();
        const BatchResult result = m_batch->Convert(out());

        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(m_sink.questions, 1);
        QCOMPARE(outcomes(result), (Outcomes{FileOutcome::Stopped, FileOutcome::NotStarted}));
        QVERIFY(!converted("a.avi"));
    }

    void failuresAreNamedAndTheBatchGoesOn() {
        listFiles({{"a.avi", 10}, {"b.avi", 10}, {"c.avi", 10}});
        m_encoder->Script("b.avi", "fail 'Error while opening encoder for output stream #0:0'");
        m_encoder->Script("c.avi", ": finishes without writing anything");
        const BatchResult result = m_batch->Convert(out());

        QCOMPARE(outcomes(result), (Outcomes{FileOutcome::Converted, FileOutcome::Failed, FileOutcome::Failed}));
        QCOMPARE(result.files[1].errorText, std::string("Error while opening encoder for output stream #0:0"));
        QCOMPARE(result.files[2].errorText, std::string("the encoder wrote no output file"));
        const QString end = m_sink.messages.value(0);
        QVERIFY2(end.startsWith("1 of 3 files converted. Total Time:"), qPrintable(end));
        QVERIFY(end.contains(QString::fromStdString(src("b.avi")) + ": Error while opening encoder"));
        QVERIFY(!end.contains(QString::fromStdString(src("a.avi"))));
    }

    void missingEncoderEndsTheBatchAndSaysWhere() {
        listFiles({{"a.avi", 10}, {"b.avi", 10}});
        fs::remove(m_tmp->file("zezozov"));
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(outcomes(result), Outcomes(2, FileOutcome::NotStarted));
        QVERIFY2(m_sink.messages.value(0).contains(QString::fromStdString(m_tmp->file("zezozov"))),
                 qPrintable(m_sink.messages.value(0)));
        QCOMPARE(result.severity, BatchResult::Severity::Error);
    }

    void neverWritesAFileOfTheBatch() {
        // Converting into the sources' own folder: a.avi would become a_avi.avi, which is itself listed.
        listFiles({{"a.avi", 10}, {"a_avi.avi", 10}});
        const BatchResult result = m_batch->Convert(m_tmp->file("src"));
        QCOMPARE(ReadFile(src("a_avi.avi")), std::string("source"));
        QCOMPARE(ReadFile(src("a.avi")), std::string("source"));
        QCOMPARE(ReadFile(src("a_avi (2).avi")), std::string("converted"));
        QCOMPARE(ReadFile(src("a_avi_avi.avi")), std::string("converted"));
        QCOMPARE(outcomes(result), (Outcomes{FileOutcome::Converted, FileOutcome::Converted}));
        QVERIFY(m_sink.messages.value(0).contains(QString::fromStdString(src("a_avi (2).avi"))));
    }

    void refusedBeforeAnythingRuns_data() {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << false << "No file in the list";
        QTest::newRow("folder under a file") << true << "Fail to create tmp folder %1";
    }
    void refusedBeforeAnythingRuns() {
        QFETCH(bool, withFile);
        QFETCH(QString, message);
        if (withFile)
            listFiles({{"a.avi", 10}});
        WriteFile(m_tmp->file("blocker"), "a file, not a folder");
        const std::string folder = m_tmp->file("blocker/sub");
        const BatchResult result = m_batch->Convert(folder);
        QVERIFY(!result.started);
        QCOMPARE(m_prompts.texts().size(), 1);
        const QString expected = message.contains("%1") ? message.arg(QString::fromStdString(folder)) : message;
        QVERIFY2(m_prompts.texts()[0].startsWith(expected), qPrintable(m_prompts.texts()[0]));
        QCOMPARE(m_sink.started, 0);
        QVERIFY(m_encoder->Runs().isEmpty());
    }

    // --- naming: nothing the user owns is overwritten or deleted ---------------------------------------------

    // Lists `path` (made with its folder) as a probed 10 s source converted by `scenario`.
    void listPath(const std::string& path, const std::string& scenario = "produce") {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, "source");
        m_encoder->Script(fs::path(path).filename().string(), scenario);
        *m_files.ProbeEntry() = {path, 10, 320, 240, 25};
        m_files.AppendProbed(path);
    }

    void sameNamesFromThreeFoldersGiveThreeOutputs() {
        for (const char* folder : {"a", "b", "c"})
            listPath(src(std::string(folder) + "/clip.mp4"), "produce; echo \"$in\" > \"$out\"");
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(outcomes(result), Outcomes(3, FileOutcome::Converted));
        // Each output holds its own source; the third no longer overwrites the second.
        QCOMPARE(ReadFile(out() + "clip.avi"), src("a/clip.mp4") + "\n");
        QCOMPARE(ReadFile(out() + "clip_mp4.avi"), src("b/clip.mp4") + "\n");
        QCOMPARE(ReadFile(out() + "clip_mp4 (2).avi"), src("c/clip.mp4") + "\n");
        QVERIFY2(m_sink.messages.value(0).contains(
                     QString::fromStdString(out() + "clip_mp4 (2).avi instead of " + out() + "clip_mp4.avi")),
                 qPrintable(m_sink.messages.value(0)));
    }

    void oldFilesGoToTheTrash_data() {
        QTest::addColumn<bool>("trashWorks");
        QTest::newRow("trash takes it") << true;
        QTest::newRow("trash can't take it") << false;
    }
    void oldFilesGoToTheTrash() {
        QFETCH(bool, trashWorks);
        // The user's own b_mp4.avi beside b.avi: the fallback name of b.mp4's output.
        const std::string data = m_tmp->file("data");
        fs::create_directories(data);
        if (!trashWorks)
            WriteFile(data + "/Trash", "a file where the trash folder would be");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data));
        fs::create_directories(out());
        WriteFile(out() + "b.avi", "user's b.avi");
        WriteFile(out() + "b_mp4.avi", "user's b_mp4.avi");
        listPath(src("b.mp4"));

        const BatchResult result = m_batch->Convert(out());
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(outcomes(result), Outcomes{FileOutcome::Converted});
        QCOMPARE(ReadFile(out() + "b.avi"), std::string("user's b.avi"));
        if (trashWorks) {
            QCOMPARE(ReadFile(out() + "b_mp4.avi"), std::string("converted"));
            QCOMPARE(ReadFile(data + "/Trash/files/b_mp4.avi"), std::string("user's b_mp4.avi"));
            QVERIFY(ReadFile(data + "/Trash/info/b_mp4.avi.trashinfo").starts_with("[Trash Info]\nPath=" + out()));
            QVERIFY(m_sink.messages.value(0).contains("These old files were moved to the trash:\n" +
                                                      QString::fromStdString(out() + "b_mp4.avi")));
        } else {
            QCOMPARE(ReadFile(out() + "b_mp4.avi"), std::string("user's b_mp4.avi"));
            QCOMPARE(ReadFile(out() + "b_mp4 (2).avi"), std::string("converted"));
        }
    }

    // --- folders: refused before anything is made ------------------------------------------------------------

    void unusableFoldersAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("256 characters") << QString(256, QLatin1Char('x')) << "its path is longer than 255 characters";
        QTest::newRow("double quote") << "say \"cheese\""
                                      << "it holds a double quote";
        QTest::newRow("line break") << "two\nlines"
                                    << "it holds a line break";
    }
    void unusableFoldersAreRefused() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        listFiles({{"a.avi", 10}});
        std::string folder = m_tmp->file("made/") + name.toStdString();
        folder = folder.substr(folder.size() > 256 ? folder.size() - 256 : 0); // the whole path is what counts
        if (folder.front() != '/')
            folder = "/" + folder.substr(1);
        const BatchResult result = m_batch->Convert(folder);
        QVERIFY(!result.started && !result.folderAccepted);
        QCOMPARE(m_prompts.texts().size(), 1);
        QVERIFY2(m_prompts.texts()[0].startsWith("The output folder " + QString::fromStdString(folder) +
                                                 " can't be used: " + why),
                 qPrintable(m_prompts.texts()[0]));
        QVERIFY(!fs::exists(m_tmp->file("made")));
        QVERIFY(m_encoder->Runs().isEmpty());
    }

    // --- leftovers and results that can't be trusted ---------------------------------------------------------

    void noPartialFileAfterAFailedOrStoppedRun_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<FileOutcome>("outcome");
        const QString partial = "printf x > \"$(dirname \"$out\")/.$(basename \"$out\" .avi).zezozov-part.avi\"; ";
        QTest::newRow("killed") << partial + "kill -9 $$" << FileOutcome::Failed;
        QTest::newRow("failed") << partial + "fail broken" << FileOutcome::Failed;
        QTest::newRow("stopped") << partial + "produce; report 6 1; report 6 2" << FileOutcome::Stopped;
    }
    void noPartialFileAfterAFailedOrStoppedRun() {
        QFETCH(QString, scenario);
        QFETCH(FileOutcome, outcome);
        listFiles({{"a.avi", 10}}, scenario.toStdString());
        m_sink.onShow = [this](const QString&) { m_batch->RequestCancel(); };
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(outcomes(result), Outcomes{outcome});
        QVERIFY(fs::exists(out()));
        QVERIFY(!fs::exists(out() + ".a.zezozov-part.avi"));
        QVERIFY(!fs::exists(out() + "a.avi"));
    }

    void aSourceThatEndsEarlyIsNamed_data() {
        QTest::addColumn<int>("lastPosition");
        QTest::addColumn<bool>("warned");
        QTest::newRow("reaches the end") << 100 << false;
        QTest::newRow("one second short") << 99 << false;
        QTest::newRow("2% short") << 98 << false;
        QTest::newRow("half") << 50 << true;
    }
    void aSourceThatEndsEarlyIsNamed() {
        QFETCH(int, lastPosition);
        QFETCH(bool, warned);
        listFiles({{"a.avi", 100}}, "report 6 0; report 6 " + std::to_string(lastPosition) + "; produce");
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(outcomes(result), Outcomes{FileOutcome::Converted});
        QCOMPARE(result.files[0].endedEarly, warned);
        QCOMPARE(result.severity, warned ? BatchResult::Severity::Warning : BatchResult::Severity::Information);
        QCOMPARE(
            m_sink.messages.value(0).contains(QString::fromStdString(out() + "a.avi: 00:00:50 of " + src("a.avi"))),
            warned);
    }

    void longSourcesAreNotCut() {
        listFiles({{"long.avi", 9 * 3600 + 1}, {"nine.avi", 9 * 3600}});
        m_batch->Convert(out());
        QVERIFY2(m_encoder->Runs().value(0).contains(" -endpos 10:0:0 0 "), qPrintable(m_encoder->Runs().value(0)));
        QVERIFY2(m_encoder->Runs().value(1).contains(" -endpos 9:0:0 0 "), qPrintable(m_encoder->Runs().value(1)));
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
    }
    void reportProtocol() {
        QFETCH(QString, scenario);
        QFETCH(FileOutcome, outcome);
        QFETCH(QString, error);
        listFiles({{"a.avi", 10}}, scenario.toStdString());
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(outcomes(result), Outcomes{outcome});
        QVERIFY2(QString::fromStdString(result.files[0].errorText).contains(error), result.files[0].errorText.c_str());
    }

    void errorTailKeepsTheLast64KiB() {
        // 200 KiB of diagnostics, then the line that says why.
        listFiles({{"a.avi", 10}}, "head -c 204800 /dev/zero | tr '\\0' e >&2; echo >&2; fail 'the reason'");
        const BatchResult result = m_batch->Convert(out());
        QCOMPARE(result.files[0].errorText, std::string("the reason"));
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
            WriteFile(src(name), "source");
            m_encoder->Script(name, scenario);
            accepted << m_batch->Probe(src(name)).accepted;
        }
        QCOMPARE(accepted, (QList<bool>{false, false, true}));
        const VideoFileEntry& entry = m_files.entries[0];
        QCOMPARE(entry.duration, 12.0);
        QCOMPARE(entry.sourceWidth, 640);
        QVERIFY(qAbs(entry.sourceFrameRate - 29.97) < 0.001);
        QVERIFY2(m_encoder->Runs()[0].contains(" 1 0"), qPrintable(m_encoder->Runs()[0]));
    }
};

QTEST_MAIN(ConversionBatchTest)
#include "conversion_batch_test.moc"
