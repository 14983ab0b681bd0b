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
