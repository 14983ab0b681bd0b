#include <deque>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "settings/conversion_settings.h"
#include "controls/dialog_template.h"
#include "settings/program_dir.h"
#include "convert/encoder_reports.h"
#include "convert/file_table.h"
#include "convert/progress_dialog.h"
#include "mainwin/converter_dlg.h"
#include "support/fake_encoder.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

// The batch driven through the main window's Convert command, with a scripted encoder.
class BatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_tmp;
    std::unique_ptr<FakeEncoder> m_encoder;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<CConverterDlg> m_dlg;
    std::deque<std::uint64_t> m_ticks;
    QStringList m_texts;
    QList<int> m_bars;

    QString sourcePath(const QString& name) const {
        return QString::fromStdString(m_tmp->file("src/" + name.toStdString()));
    }
    QString outPath(const QString& name) const {
        return QString::fromStdString(m_tmp->file("out/nested/" + name.toStdString()));
    }

    // Lists the files with their durations, as the list would after probing them.
    void listFiles(const std::vector<std::pair<std::string, double>>& files) {
        for (const auto& [name, duration] : files) {
            WriteFile(m_tmp->file("src/" + name), "source");
            VideoFileEntry* entry = fileTable.ProbeEntry();
            entry->duration = duration;
            entry->sourceWidth = 320;
            entry->sourceHeight = 240;
            entry->sourceFrameRate = 25;
            fileTable.AppendProbed(m_tmp->file("src/" + name));
        }
    }

    CProgressDlg* progress() const { return m_dlg->progressWindow(); }
    void clickCancel() {
        QTest::mouseClick(FindControl<QPushButton>(progress(), CProgressDlg::IDC_CANCEL), Qt::LeftButton);
    }
    // Presses Cancel the moment the progress window shows `text`.
    void cancelWhenShown(const QString& text) {
        connect(progress(), &CProgressDlg::statusTextChanged, this, [this, text](const QString& shown) {
            if (shown == text)
                clickCancel();
        });
    }
    void convert() { QVERIFY(m_dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON)); }

private slots:
    void init() {
        m_tmp = std::make_unique<TempDir>();
        fs::create_directories(m_tmp->path() / "src");
        SetProgramPath(m_tmp->file("quor-zodi-converter"));
        m_encoder = std::make_unique<FakeEncoder>(m_tmp->path());
        m_prompts = std::make_unique<ScriptedPrompts>();
        fileTable = FileTable();
        batchState = BatchState();
        m_dlg = std::make_unique<CConverterDlg>(*m_prompts);
        conversionSettings.outputFormat = 0;
        FindControl<QLineEdit>(m_dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)
            ->setText(QString::fromStdString(m_tmp->file("out/nested/")));
        m_ticks.clear();
        m_dlg->SetTickSourceForTest([this] {
            if (m_ticks.empty())
                return std::uint64_t(999999);
            const auto t = m_ticks.front();
            m_ticks.pop_front();
            return t;
        });
        m_texts.clear();
        m_bars.clear();
        connect(progress(), &CProgressDlg::statusTextChanged, this, [this](const QString& text) { m_texts << text; });
        connect(FindControl<QProgressBar>(progress(), CProgressDlg::IDC_PROGRESS_BAR), &QProgressBar::valueChanged,
                this, [this](int value) { m_bars << value; });
        m_dlg->show();
    }

    void cleanup() {
        m_dlg.reset();
        fs::current_path(fs::temp_directory_path());
        m_tmp.reset();
    }

    void progressTextsAndBarsFollowTheReports_data() {
        QTest::addColumn<QList<double>>("durations");
        QTest::addColumn<QStringList>("scenarios");
        QTest::addColumn<QList<qulonglong>>("ticks");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("bars");
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

    void progressTextsAndBarsFollowTheReports() {
        QFETCH(QList<double>, durations);
        QFETCH(QStringList, scenarios);
        QFETCH(QList<qulonglong>, ticks);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, bars);
        QFETCH(QString, endMessage);

        std::vector<std::pair<std::string, double>> files;
        for (int i = 0; i < durations.size(); ++i) {
            const std::string name = "clip" + std::to_string(i) + ".avi";
            files.emplace_back(name, durations[i]);
            m_encoder->Script(name, scenarios[i].toStdString());
        }
        listFiles(files);
        for (auto t : ticks)
            m_ticks.push_back(t);

        bool disabledDuringBatch = false;
        bool stayedOpen = true;
        connect(progress(), &CProgressDlg::statusTextChanged, this, [&] {
            disabledDuringBatch = !m_dlg->isEnabled();
            m_dlg->close(); // the close box does not end the program under a running batch
            stayedOpen = stayedOpen && m_dlg->isVisible();
        });
        convert();
        QVERIFY(stayedOpen);

        QCOMPARE(m_texts, texts);
        QCOMPARE(m_bars, bars);
        QCOMPARE(m_prompts->texts(), QStringList{endMessage});
        QVERIFY(disabledDuringBatch);
        QVERIFY(m_dlg->isEnabled());
        QVERIFY(!progress()->isVisible());
        QCOMPARE(m_encoder->Runs().size(), durations.size());
        for (int i = 0; i < durations.size(); ++i)
            QVERIFY(QFile::exists(outPath(QStringLiteral("clip%1.avi").arg(i))));
        QVERIFY2(m_encoder->Runs()[0].endsWith(QStringLiteral(" 0 %1").arg(m_dlg->winId())),
                 qPrintable(m_encoder->Runs()[0]));
    }

    void cancelAnsweredYesStopsAfterTheCurrentFile() {
        listFiles({{"a.avi", 300}, {"b.avi", 300}, {"c.avi", 300}});
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            m_encoder->Script(name, "produce; report 6 1; report 6 2; report 6 3");
        cancelWhenShown("Total time:00:01:20;Elapsed time:00:00:27;Finished 33.4%");
        m_ticks = {0, 1000, 1000, 1000, 27000};
        m_prompts->setNextAnswer(Prompts::AnswerYes);
        convert();

        QCOMPARE(m_prompts->texts(), QStringList{"Do you really want to stop?"});
        QVERIFY(QFile::exists(outPath("a.avi")));
        QVERIFY(!QFile::exists(outPath("b.avi")));
        QVERIFY(!QFile::exists(outPath("c.avi")));
        QCOMPARE(m_encoder->Runs().size(), 2);
        QCOMPARE(batchState.cancelRequested, 1);
        QVERIFY(m_dlg->isEnabled());
        QVERIFY(!progress()->isVisible());
        QVERIFY(m_texts.contains("Cancel processing..."));
    }

    void cancelAnsweredNoRunsToTheEnd() {
        listFiles({{"a.avi", 300}, {"b.avi", 300}, {"c.avi", 300}});
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            m_encoder->Script(name, "produce; report 6 1; report 6 2; report 6 3");
        cancelWhenShown("Total time:00:01:20;Elapsed time:00:00:27;Finished 33.4%");
        m_ticks = {0, 1000, 1000, 1000, 27000};
        m_prompts->setNextAnswer(Prompts::AnswerNo);
        convert();

        QCOMPARE(m_prompts->texts().size(), 2);
        QCOMPARE(m_prompts->texts()[0], QStringLiteral("Do you really want to stop?"));
        QVERIFY(m_prompts->texts()[1].startsWith("Mission accomplished! Total Time:"));
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            QVERIFY(QFile::exists(outPath(name)));
        QCOMPARE(batchState.cancelRequested, 0);
    }

    void enterAndCloseBoxInTheProgressWindow() {
        progress()->SetStatusText("Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%");
        progress()->show();
        QTest::keyClick(progress(), Qt::Key_Return);
        QTest::keyClick(progress(), Qt::Key_Enter);
        QVERIFY(progress()->isVisible());
        QCOMPARE(batchState.cancelRequested, 0);
        QCOMPARE(progress()->StatusText(), QStringLiteral("Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%"));

        progress()->close();
        QVERIFY(progress()->isVisible());
        QCOMPARE(batchState.cancelRequested, 1);
        QCOMPARE(progress()->StatusText(), QStringLiteral("Cancel processing..."));
        progress()->hide();
    }

    void batchesThatDoNotStart_data() {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << false << ""
                                    << "No file in the list";
        QTest::newRow("folder under a file") << true << "blocker/sub"
                                             << "Fail to create tmp folder %1";
    }

    void batchesThatDoNotStart() {
        QFETCH(bool, withFile);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        if (withFile)
            listFiles({{"a.avi", 10}});
        WriteFile(m_tmp->file("blocker"), "a file, not a folder");
        const QString folderPath = QString::fromStdString(m_tmp->file(folder.toStdString()));
        if (!folder.isEmpty())
            FindControl<QLineEdit>(m_dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)->setText(folderPath);
        convert();
        QCOMPARE(m_prompts->texts(), QStringList{message.contains("%1") ? message.arg(folderPath) : message});
        QVERIFY(m_texts.isEmpty());
        QVERIFY(m_encoder->Runs().isEmpty());
        QVERIFY(m_dlg->isEnabled());
    }

    void failedFileIsNamedAndTheBatchGoesOn() {
        listFiles({{"a.avi", 10}, {"b.avi", 10}, {"c.avi", 10}, {"d.avi", 10}});
        m_encoder->Script("a.avi", "produce");
        m_encoder->Script("b.avi", "fail 'Error while opening encoder for output stream #0:0'");
        m_encoder->Script("c.avi", "produce");
        m_encoder->Script("d.avi", ": finishes without writing anything");
        convert();

        QCOMPARE(m_encoder->Runs().size(), 4);
        QCOMPARE(m_prompts->texts().size(), 1);
        const QString end = m_prompts->texts()[0];
        QVERIFY2(end.startsWith("2 of 4 files converted. Total Time:"), qPrintable(end));
        QVERIFY2(end.contains(sourcePath("b.avi") + ": Error while opening encoder for output stream #0:0"),
                 qPrintable(end));
        QVERIFY2(end.contains(sourcePath("d.avi") + ": the encoder wrote no output file"), qPrintable(end));
        QVERIFY(!end.contains(sourcePath("a.avi")));
    }

    void missingEncoderIsNamedAndStopsTheBatch() {
        listFiles({{"a.avi", 10}, {"b.avi", 10}});
        fs::remove(m_tmp->file("zezozov"));
        convert();
        QCOMPARE(m_prompts->texts().size(), 1);
        QVERIFY2(m_prompts->texts()[0].contains(QString::fromStdString(m_tmp->file("zezozov"))),
                 qPrintable(m_prompts->texts()[0]));
        QVERIFY(m_dlg->isEnabled());
        QVERIFY(!progress()->isVisible());
    }

    void quietEncoderAfterCancelIsAskedAndEnded() {
        listFiles({{"a.avi", 300}, {"b.avi", 300}});
        m_encoder->Script("a.avi", "produce; report 6 1; exec sleep 30");
        m_encoder->Script("b.avi", "produce");
        m_dlg->SetStallTimeoutForTest(200);
        cancelWhenShown("Total time:00:08:00;Elapsed time:00:00:00;Finished 0.1%");
        m_ticks = {0, 800};
        m_prompts->setNextAnswer(Prompts::AnswerYes);
        QElapsedTimer timer;
        timer.start();
        convert();

        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(m_prompts->texts(), QStringList{"Do you really want to stop?"});
        QVERIFY(!QFile::exists(outPath("a.avi")));
        QCOMPARE(m_encoder->Runs().size(), 1);
    }

    void relativeFoldersAreTakenFromHome_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("underHome");
        QTest::newRow("relative") << "videos/out/"
                                  << "videos/out/";
        QTest::newRow("tilde") << "~/clips"
                               << "clips";
    }
    void relativeFoldersAreTakenFromHome() {
        QFETCH(QString, typed);
        QFETCH(QString, underHome);
        const QByteArray oldHome = qgetenv("HOME");
        const QString home = QString::fromStdString(m_tmp->file("home"));
        qputenv("HOME", home.toUtf8());
        listFiles({{"a.avi", 10}});
        m_encoder->Script("a.avi", "produce");
        auto* edit = FindControl<QLineEdit>(m_dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER);
        edit->setText(typed);
        convert();
        // A second batch lands in the same place, although the first one changed the current folder.
        convert();
        qputenv("HOME", oldHome);

        QCOMPARE(edit->text(), home + "/" + underHome);
        QCOMPARE(QString::fromStdString(m_dlg->outputFolder()), edit->text());
        QVERIFY(QFile::exists(home + "/" + underHome + (underHome.endsWith('/') ? "" : "/") + "a.avi"));
        QCOMPARE(m_encoder->Runs().size(), 2);
    }

    void neverDeletesAFileOfTheBatch() {
        // Converting into the sources' own folder: a.avi would become a_avi.avi, which is itself listed.
        listFiles({{"a.avi", 10}, {"a_avi.avi", 10}});
        m_encoder->Script("a.avi", "produce");
        m_encoder->Script("a_avi.avi", "produce");
        FindControl<QLineEdit>(m_dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)
            ->setText(QString::fromStdString(m_tmp->file("src")));
        convert();

        QCOMPARE(ReadFile(m_tmp->file("src/a_avi.avi")), std::string("source"));
        QCOMPARE(ReadFile(m_tmp->file("src/a.avi")), std::string("source"));
        QCOMPARE(ReadFile(m_tmp->file("src/a_avi_avi.avi")), std::string("converted"));
        QCOMPARE(m_encoder->Runs().size(), 1);
        QVERIFY(m_prompts->texts()[0].contains("one of the files being converted"));
    }
};

QTEST_MAIN(BatchTest)
#include "batch_test.moc"
