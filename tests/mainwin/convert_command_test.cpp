#include <deque>

#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "controls/dialog_template.h"
#include "convert/progress_dialog.h"
#include "support/main_window_fixture.h"

namespace fs = std::filesystem;

// The Convert command of the main window with its progress window, driven with the scripted encoder.
class ConvertCommandTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    std::deque<std::uint64_t> m_ticks;
    QStringList m_texts;
    QList<int> m_bars;

    QString outPath(const std::string& name) const { return QString::fromStdString(f->tmp.file("out/" + name)); }
    CProgressDlg* progress() const { return f->dlg->progressWindow(); }
    QLineEdit* folderEdit() const { return FindControl<QLineEdit>(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER); }
    void convert() { QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON)); }

private slots:
    void init() {
        f = std::make_unique<MainWindowFixture>();
        folderEdit()->setText(QString::fromStdString(f->tmp.file("out/")));
        m_ticks.clear();
        f->dlg->batch().SetTickSourceForTest([this] {
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
    }
    void cleanup() { f.reset(); }

    void progressWindowShowsTheBatch() {
        f->AddThroughPicker({f->Source("a.avi", 300), f->Source("b.avi", 300)});
        f->encoder.Script("a.avi", "produce; report 6 100");
        f->encoder.Script("b.avi", "produce; report 6 150");
        m_ticks = {1000, 46000, 91000, 121000};

        bool disabledDuringBatch = false;
        bool stayedOpen = true;
        connect(progress(), &CProgressDlg::statusTextChanged, this, [&] {
            disabledDuringBatch = !f->dlg->isEnabled();
            f->dlg->close(); // the close box does not end the program under a running batch
            stayedOpen = stayedOpen && f->dlg->isVisible();
        });
        convert();

        // The figures themselves are the batch's (tested without a window); here that they reach the window.
        QCOMPARE(m_texts.size(), 3);
        QCOMPARE(m_texts.last(), QStringLiteral("Total time:00:02:00;Elapsed time:00:01:30;Finished 75.0%"));
        QCOMPARE(m_bars, (QList<int>{0, 166, 750}));
        // The scripted positions stop short of the sources' 300 s: the message names both as ended early.
        QCOMPARE(f->prompts.texts().size(), 1);
        QVERIFY(f->prompts.texts()[0].startsWith(
            "Mission accomplished! Total Time:00:02:00\n\nThese files were converted, but their source ended early:"));
        // Shown while the main window is still disabled, the box belongs to the progress window.
        QCOMPARE(f->prompts.shown[0].owner, progress());
        QVERIFY(disabledDuringBatch && stayedOpen);
        QVERIFY(f->dlg->isEnabled());
        QVERIFY(!progress()->isVisible());
        const QString run = f->encoder.Runs().last();
        QVERIFY2(run.endsWith(QStringLiteral(" 0 %1").arg(f->dlg->winId())), qPrintable(run));
    }

    void cancelButtonAsksAndStops() {
        f->AddThroughPicker({f->Source("a.avi", 300), f->Source("b.avi", 300)});
        f->encoder.Script("a.avi", "produce; report 6 1; report 6 2");
        f->encoder.Script("b.avi", "produce");
        connect(progress(), &CProgressDlg::statusTextChanged, this, [this](const QString& text) {
            if (text.endsWith("Finished 0.1%"))
                QTest::mouseClick(FindControl<QPushButton>(progress(), CProgressDlg::IDC_CANCEL), Qt::LeftButton);
        });
        f->prompts.setNextAnswer(Prompts::AnswerYes);
        convert();

        QCOMPARE(f->prompts.texts(), QStringList{"Do you really want to stop?"});
        QVERIFY(m_texts.contains("Cancel processing..."));
        QVERIFY(!QFile::exists(outPath("a.avi")));
        QVERIFY(!QFile::exists(outPath("b.avi")));
    }

    void enterAndCloseBoxInTheProgressWindow() {
        QSignalSpy cancels(progress(), &CProgressDlg::cancelRequested);
        progress()->BatchStarted("Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%");
        QTest::keyClick(progress(), Qt::Key_Return);
        QTest::keyClick(progress(), Qt::Key_Enter);
        QVERIFY(progress()->isVisible());
        QCOMPARE(cancels.size(), 0);

        progress()->close();
        QVERIFY(progress()->isVisible());
        QCOMPARE(cancels.size(), 1);
        QCOMPARE(progress()->StatusText(), QStringLiteral("Cancel processing..."));
        QCOMPARE(f->dlg->batch().State().cancelRequested, 1);
        progress()->hide();
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
        const QString home = QString::fromStdString(f->tmp.file("home"));
        qputenv("HOME", home.toUtf8());
        f->AddThroughPicker({f->Source("a.avi", 10)});
        f->encoder.Script("a.avi", "produce");
        folderEdit()->setText(typed);
        convert();
        // A second batch lands in the same place, although the first one changed the current folder.
        convert();
        qputenv("HOME", oldHome);

        QCOMPARE(folderEdit()->text(), home + "/" + underHome);
        QCOMPARE(QString::fromStdString(f->dlg->outputFolder()), folderEdit()->text());
        QVERIFY(QFile::exists(home + "/" + underHome + (underHome.endsWith('/') ? "" : "/") + "a.avi"));
        QCOMPARE(f->encoder.Runs().size(), 3); // one probe, two conversions
    }

    // A folder the batch refuses is not created, not saved, and doesn't stop files from being added.
    void refusedFolderIsNeitherMadeNorKept() {
        const QString tail(300, QLatin1Char('y')); // the reasons themselves are the batch's
        const std::string kept = f->dlg->outputFolder();
        const QString folder = QString::fromStdString(f->tmp.file("refused/")) + tail;
        folderEdit()->setText(folder);
        QCOMPARE(folderEdit()->text(), folder); // typed in whole, not cut short unseen
        f->AddThroughPicker({f->Source("a.avi", 10)});
        QCOMPARE(f->list()->RowCount(), 1);
        convert();
        QCOMPARE(f->prompts.texts().size(), 1);
        QVERIFY2(f->prompts.texts()[0].startsWith("The output folder " + folder + " can't be used: "),
                 qPrintable(f->prompts.texts()[0]));
        QCOMPARE(f->dlg->outputFolder(), kept);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(f->tmp.file("refused"))));
        QCOMPARE(f->encoder.Runs().size(), 1); // the probe only
    }
};

QTEST_MAIN(ConvertCommandTest)
#include "convert_command_test.moc"
