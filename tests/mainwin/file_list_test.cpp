#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>

#include "convert/progress_dialog.h"
#include "support/main_window_fixture.h"
#include "support/tick_source.h"

using D = CConverterDlg;

// The main window's list of files: adding them (probed by the scripted encoder), removing and moving them,
// and converting them with the progress window.
class FileListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    // Each row as "number name duration", then its file table entry's picture "width x height @ fps", then its
    // status with the row's tool tip, when it has one.
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < f->list()->RowCount(); ++i) {
            const VideoFileEntry& e = f->dlg->files().entries[static_cast<std::size_t>(i)];
            rows << QStringLiteral("%1 %2 %3 %4x%5@%6")
                        .arg(f->list()->NumberText(i).trimmed(), QFileInfo(f->list()->PathText(i)).fileName(),
                             f->list()->DurationText(i), QString::number(e.sourceWidth),
                             QString::number(e.sourceHeight), QString::number(e.sourceFrameRate));
            if (const QString status = f->list()->StatusText(i); !status.isEmpty())
                rows.last() += QStringLiteral(" %1 (%2) %3")
                                   .arg(status)
                                   .arg(int(f->list()->RowStatus(i)))
                                   .arg(f->list()->topLevelItem(i)->toolTip(3));
        }
        return rows;
    }
    // What each row's status said, one "row text" each time it changed.
    QStringList m_statusChanges;
    void RecordStatuses() {
        connect(f->list(), &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
            const QString change =
                QStringLiteral("%1 %2").arg(f->list()->indexOfTopLevelItem(item) + 1).arg(item->text(3));
            if (column == 3 && (m_statusChanges.isEmpty() || m_statusChanges.last() != change))
                m_statusChanges << change;
        });
    }
    QString out(const QString& name = "") const { return QString::fromStdString(f->tmp.file("out/")) + name; }
    // Three listed files: a (100 s, 320 x 240, 25 fps), b (200 s, 640 x 480, 29.97), c (300 s, 720 x 576, 23.976).
    void AddThree() {
        f->AddThroughPicker({f->Source("a.avi", 100, 320, 240, 25), f->Source("b.mpg", 200, 640, 480, 29.97),
                             f->Source("c.wmv", 300, 720, 576, 23.976)});
    }
    CProgressDlg* progress() const { return f->dlg->progressWindow(); }
    void convert() { QVERIFY(f->dlg->OnCommand(D::IDC_CONVERT_BUTTON)); }

private slots:
    void init() {
        m_statusChanges.clear();
        f = std::make_unique<MainWindowFixture>();
        f->folderEdit()->setText(QString::fromStdString(f->tmp.file("out/")));
    }
    void cleanup() { f.reset(); }

    void threeFilesAreNumberedAndSummed() {
        AddThree();
        QCOMPARE(f->prompts.pickerTitles, QStringList{"Import video files"});
        QCOMPARE(f->prompts.texts(), QStringList());
        QCOMPARE(Rows(), (QStringList{"1 a.avi 00:01:40 320x240@25", "2 b.mpg 00:03:20 640x480@29.97",
                                      "3 c.wmv 00:05:00 720x576@23.976"}));
        QCOMPARE(f->list()->NumberText(0), QStringLiteral("          1"));
        QCOMPARE(f->dlg->files().totalDuration, 600.0);
        const QStringList runs = f->encoder.Runs();
        QCOMPARE(runs.size(), 1); // one list probe of the three
        QVERIFY2(runs[0].endsWith(QStringLiteral(" 2 %1").arg(f->dlg->winId())), qPrintable(runs[0]));
    }

    // Remove and the moves on five files, a to e, with the rows chosen by clicks (Ctrl with the second on): the
    // numbers stay in place, the rest goes with its file; the moved rows stay selected.
    void removeAndMove_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("order"); // the files afterwards
        QTest::addColumn<QString>("selectedAfter");
        QTest::addColumn<QString>("told");
        for (auto [name, selected, command, order, after, told] :
             {std::tuple{"remove the second", "b", D::IDC_REMOVE, "acde", "c", ""},
              {"remove the last", "e", D::ID_LIST_REMOVE, "abcd", "", ""},
              {"remove, none selected", "", D::IDC_REMOVE, "abcde", "", ""},
              {"remove neighbours", "cb", D::IDC_REMOVE, "ade", "d", ""},
              {"remove rows apart", "eac", D::ID_LIST_REMOVE, "bd", "b", ""},
              {"remove all", "abcde", D::IDC_REMOVE, "", "", ""},
              {"down", "a", D::IDC_MOVE_DOWN, "bacde", "a", ""},
              {"up", "e", D::ID_LIST_MOVE_UP, "abced", "e", ""},
              {"up, neighbours and one apart", "ecb", D::IDC_MOVE_UP, "bcaed", "bce", ""},
              {"down, neighbours and one apart", "dba", D::ID_LIST_MOVE_DOWN, "cabed", "abd", ""},
              {"up on the first", "a", D::IDC_MOVE_UP, "abcde", "a", ""},
              {"up, the first among them", "ca", D::ID_LIST_MOVE_UP, "abcde", "ac", ""},
              {"down, the last among them", "ed", D::IDC_MOVE_DOWN, "abcde", "de", ""},
              {"move, none selected", "", D::IDC_MOVE_UP, "abcde", "", "No item was selected!"}})
            QTest::newRow(name) << QString(selected) << int(command) << QString(order) << QString(after)
                                << QString(told);
    }
    void removeAndMove() {
        QFETCH(QString, selected);
        QFETCH(int, command);
        QFETCH(QString, order);
        QFETCH(QString, selectedAfter);
        QFETCH(QString, told);
        AddThree();
        f->AddThroughPicker({f->Source("d.avi", 400), f->Source("e.avi", 500)});
        using S = CVideoFileList::Status; // a status stays with its file
        for (auto [i, status] : {std::pair{0, S::Converted}, {1, S::Failed}, {2, S::NotConverted}, {3, S::Stopped}})
            f->list()->SetStatus(i, status, QString("note %1").arg(i));
        const QStringList before = Rows();
        f->list()->clearSelection();
        for (int i = 0; i < selected.size(); ++i)
            QTest::mouseClick(f->list()->viewport(), Qt::LeftButton, i ? Qt::ControlModifier : Qt::NoModifier,
                              f->list()->visualItemRect(f->list()->topLevelItem(selected[i].unicode() - 'a')).center());
        QVERIFY(f->dlg->OnCommand(command));
        QStringList expected;
        QList<int> expectedSelection;
        double total = 0;
        for (int i = 0; i < order.size(); ++i) {
            expected << QString::number(i + 1) + before[order[i].unicode() - 'a'].mid(1);
            total += 100 * (order[i].unicode() - 'a' + 1);
            if (selectedAfter.contains(order[i]))
                expectedSelection << i;
        }
        QCOMPARE(Rows(), expected);
        QCOMPARE(f->dlg->files().fileCount, int(order.size()));
        QCOMPARE(f->dlg->files().totalDuration, total);
        QCOMPARE(f->list()->SelectedRows(), expectedSelection);
        QCOMPARE(f->prompts.texts(), told.isEmpty() ? QStringList() : QStringList{told});
    }

    // Every file the encoder can't use (a path and why; none: listed) is refused with its reason, in one message
    // after all were tried, in their order; a path that can't reach the encoder before any runs, and the probing
    // goes on after a file that ended the encoder. A refused file leaves nothing behind, not even the facts a probe
    // before it found.
    void refusalsAreToldAfterwardsInOrder() {
        const QString silent = "The encoder gave no playing time, frame size or frame rate for it.";
        const std::string tooLong = std::string(260 - f->tmp.file("src/").size(), 'z') + ".avi";
        const std::pair<QString, QString> files[] = {
            {f->Source("1.avi", 10), ""},
            {f->Unreadable("2.avi"), "zezozov: %1: no video stream"},
            {f->Scripted("silent.avi", ""), silent},
            {f->Scripted("crash.avi", "report 1 50; kill -9 $$"), "the encoder crashed"},
            {f->Scripted("norate.avi", "report 1 50; report 2 320; report 3 240"), silent},
            {f->Source("say \"hi\".avi", 10),
             "The path %1 holds a double quote, which can't be passed to the encoder."},
            {f->Source("two\nlines.avi", 10), "The path %1 holds a line break, which can't be passed to the encoder."},
            {f->Source(tooLong, 10), "The path %1 is longer than 255 characters."},
            {f->Source("5.avi", 10), ""},
        };
        QStringList all, listed;
        QString refusals = "7 files could not be added:";
        for (const auto& [path, why] : files) {
            all << path;
            if (why.isEmpty())
                listed << path;
            else
                refusals += "\n\n" + path + "\n" + why.arg(path);
        }
        f->AddThroughPicker(all);
        QCOMPARE(f->Paths(), listed);
        QCOMPARE(f->prompts.texts(), QStringList{refusals});
        QCOMPARE(f->dlg->files().totalDuration, 20.0);
        QCOMPARE(f->encoder.Runs().size(), 2);
    }

    // The encoder missing: said once, and every file refused for it; beyond 8 files the message's details name all.
    void missingEncoderIsNamedOnce() {
        QStringList files, refused;
        for (int i = 0; i < 9; ++i) {
            files << f->Source("clip" + std::to_string(i) + ".avi", 10);
            refused << files.last() + "\nThe encoder could not be started.";
        }
        std::filesystem::remove(f->tmp.file("zezozov"));
        f->AddThroughPicker(files);
        QCOMPARE(f->list()->RowCount(), 0);
        const QStringList texts = f->prompts.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].contains(QString::fromStdString(f->tmp.file("zezozov"))), qPrintable(texts[0]));
        QCOMPARE(texts[1], "9 files could not be added:\n\n" + refused.mid(0, 8).join("\n\n") +
                               "\n\n... and 1 more: Show Details lists every file and why.\n\n" + refused.join("\n\n"));
    }

    // "Add folder..." probes the video files under the folder in one go while a window counts them; its Stop keeps
    // what was listed and tells nothing of the files not reached. A folder without video files is named.
    void folderIsCountedAndCanBeStopped() {
        const std::string src = f->tmp.file("src/");
        f->Source("a.avi", 10);
        f->Scripted("b.avi", "exec sleep 30");
        std::filesystem::create_directories(src + "sub");
        WriteFile(src + "sub/c.avi", "source");
        f->encoder.Script("c.avi", "report 1 10; report 2 320; report 3 240; report 4 250000000");
        QString counted;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == "Adding video files") {
                    counted = w->findChild<QLabel*>()->text();
                    w->findChild<QPushButton*>()->click();
                }
        });
        poll.start(50);
        f->prompts.setNextFolder(QString::fromStdString(src));
        QVERIFY(f->dlg->OnCommand(D::ID_LIST_ADD_FOLDER));
        QCOMPARE(counted, "1 of 3 files probed");
        QCOMPARE(f->Paths(), QStringList{QString::fromStdString(src + "a.avi")});
        QCOMPARE(f->prompts.texts(), QStringList());
        std::filesystem::create_directories(src + "empty");
        f->prompts.setNextFolder(QString::fromStdString(src + "empty"));
        QVERIFY(f->dlg->OnCommand(D::ID_LIST_ADD_FOLDER));
        QCOMPARE(f->prompts.texts(),
                 QStringList{"No video files were found in " + QString::fromStdString(src) + "empty."});
    }

    // Files dropped from a file manager are probed as added ones, a folder stands for its video files; the list
    // grows past 99.
    void droppedFilesAreProbedLikeAdded() {
        QStringList files{f->Unreadable("bad.avi")};
        std::filesystem::create_directories(f->tmp.file("src/more"));
        WriteFile(f->tmp.file("src/more/notes.txt"), "no video");
        QMimeData mime;
        for (int i = 0; i < 100; ++i)
            files << f->Source((i < 50 ? "clip" : "more/clip") + std::to_string(i) + ".avi", 2);
        const QStringList dropped = files.mid(0, 51) << f->tmp.file("src/more").c_str();
        for (const QString& file : dropped)
            mime.setUrls(mime.urls() << QUrl::fromLocalFile(file));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f->list()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f->list()->viewport(), &drop);
        QCOMPARE(f->Paths(), files.mid(1));
        QCOMPARE(f->list()->NumberText(99), QStringLiteral("          100"));
        QCOMPARE(f->dlg->files().totalDuration, 200.0);
        QCOMPARE(f->prompts.texts(), QStringList{f->Refusal(files[0], "zezozov: " + files[0] + ": no video stream")});
    }

    void commandsWaitWhileAProbeRuns() {
        f->AddThroughPicker({f->Source("a.avi", 10)});
        f->list()->SelectRow(0);
        const QString slow =
            f->Scripted("slow.avi", "report 1 20; sleep 0.5; report 2 320; report 3 240; report 4 250000000");
        QList<bool> ran;
        bool enabledMeanwhile = false;
        QTimer::singleShot(150, [&] {
            enabledMeanwhile = f->dlg->isEnabled() && f->dlg->IsProbing();
            for (int id : {int(D::IDC_REMOVE), int(D::IDC_MOVE_DOWN), int(D::IDC_CONVERT), int(D::ID_LIST_ADD)})
                ran << f->dlg->OnCommand(id);
        });
        f->dlg->AddFiles({slow});
        QVERIFY(enabledMeanwhile);
        QCOMPARE(ran, (QList<bool>{false, false, false, false}));
        QCOMPARE(f->list()->RowCount(), 2);
        QVERIFY(f->prompts.shown.isEmpty());
    }

    // The right-click menu opens at the mouse and runs the item chosen with the keys; Escape runs nothing.
    void rightClickMenuRunsTheChosenCommand() {
        AddThree();
        f->list()->SelectRow(0);
        f->dlg->SetCursorSourceForTest([] { return QPoint(120, 80); });
        for (const auto& [keys, rowsAfter] :
             {std::pair{QList<Qt::Key>{Qt::Key_Escape}, 3},
              {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, 2}}) { // Remove
            QPoint shownAt;
            MainWindowFixture::OnNextWindow([&](QWidget* menu) {
                shownAt = menu->pos();
                for (Qt::Key key : keys)
                    QTest::keyClick(menu, key);
            });
            emit f->list()->customContextMenuRequested(QPoint(3, 3));
            QCOMPARE(shownAt, QPoint(120, 80));
            QCOMPARE(f->list()->RowCount(), rowsAfter);
        }
    }

    void progressWindowShowsTheBatch() {
        f->AddThroughPicker({f->Source("a.avi", 300), f->Source("b.avi", 300)});
        f->encoder.Script("a.avi", "produce; report 6 100");
        f->encoder.Script("b.avi", "produce; report 6 150");
        TickSource clock{{1000, 46000, 91000, 121000}};
        f->dlg->batch().SetTickSourceForTest(std::ref(clock));
        QSignalSpy texts(progress(), &CProgressDlg::statusTextChanged);
        QSignalSpy bars(FindControl<QProgressBar>(progress(), CProgressDlg::IDC_PROGRESS_BAR),
                        &QProgressBar::valueChanged);
        bool disabledDuringBatch = false;
        bool stayedOpen = true;
        connect(progress(), &CProgressDlg::statusTextChanged, this, [&] {
            disabledDuringBatch = !f->dlg->isEnabled();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) // never Cancel
                QTest::keyClick(progress(), key);
            f->dlg->close(); // the close box does not end the program under a running batch
            stayedOpen = stayedOpen && f->dlg->isVisible();
        });
        convert();

        // The figures themselves are the batch's (tested without a window); here that they reach the window.
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts.last(), QVariantList{"Total time:00:02:00;Elapsed time:00:01:30;Finished 75.0%"});
        QCOMPARE(bars, (QList<QVariantList>{{0}, {166}, {750}}));
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

    // Each file's status through a batch where the second ends its own way; its tool tip says where the output went
    // or why there is none.
    void statusFollowsEachFile_data() {
        QTest::addColumn<QString>("b"); // the second file's conversion
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("tips"); // the rows' notes
        const QString start = "1 Waiting,2 Waiting,3 Waiting,1 Converting 0%,";
        const QString first = start + "1 Converted,2 Converting 0%,2 Converting 25%,";
        QTest::newRow("converted") << "produce; report 6 50" << first + "2 Converted,3 Converting 0%,3 Converted"
                                   << "a.avi|b.avi|c.avi";
        QTest::newRow("failed") << "report 6 50; fail 'zezozov: no room'"
                                << first + "2 Failed,3 Converting 0%,3 Converted"
                                << "a.avi|zezozov: no room|c.avi";
        QTest::newRow("stopped") << "report 6 50; report 6 60" << first + "2 Stopped,3 Not converted"
                                 << "a.avi|Stopped by the user; nothing of it was kept.|"
                                    "The batch ended before this file.";
        QTest::newRow("no encoder") << "" << start + "1 Failed,2 Not converted,3 Not converted"
                                    << "The encoder %1 could not be started: No such file or directory.|"
                                       "The batch ended before this file.|The batch ended before this file.";
    }
    void statusFollowsEachFile() {
        QFETCH(QString, b);
        QFETCH(QString, changes);
        QFETCH(QString, tips);
        AddThree();
        f->encoder.Script("a.avi", "produce");
        f->encoder.Script("b.mpg", b.toStdString());
        f->encoder.Script("c.wmv", "produce");
        if (b.isEmpty())
            std::filesystem::remove(f->tmp.file("zezozov"));
        RecordStatuses();
        connect(f->list(), &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
            if (item->text(3) == "Converting 25%" && QString(QTest::currentDataTag()) == "stopped")
                f->dlg->batch().RequestCancel();
        });
        convert();
        QCOMPARE(m_statusChanges.join(','), changes);
        QStringList notes;
        for (int i = 0; i < 3; ++i) {
            notes << f->list()->Note(i).remove(out());
            QCOMPARE(f->list()->topLevelItem(i)->toolTip(0), f->list()->PathText(i) + "\n" + f->list()->Note(i));
        }
        QCOMPARE(notes.join('|'), tips.replace("%1", QString::fromStdString(f->tmp.file("zezozov"))));
    }

    // The second of three files vanished before Convert; once it is back, converting failed files again converts it
    // alone, into the folder of the batch, leaving the other outputs (here one whose name it shares) as they were.
    void failedFilesConvertAgain() {
        QString x = f->Source("clip.avi", 10), y = x, c = f->Source("c.avi", 10);
        for (QString* path : {&x, &y}) {
            path->insert(path->lastIndexOf('/'), path == &x ? "/x" : "/y");
            std::filesystem::create_directories(std::filesystem::path(path->toStdString()).parent_path());
            WriteFile(path->toStdString(), "source");
        }
        f->AddThroughPicker({x, y, c});
        for (const char* name : {"clip.avi", "c.avi"})
            f->encoder.Script(name, "[ -f \"$in\" ] || fail \"zezozov: $in: No such file\"; echo \"$in\" > \"$out\"");
        QVERIFY(QFile::rename(y, y + ".away"));
        const auto menuEntry = [this](const QString& text, bool choose) {
            bool enabled = false;
            f->dlg->SetCursorSourceForTest([] { return QPoint(120, 80); });
            MainWindowFixture::OnNextWindow([&](QWidget* w) {
                auto* menu = qobject_cast<QMenu*>(w);
                for (QAction* action : menu->actions())
                    if (action->text() == text) {
                        enabled = action->isEnabled();
                        menu->setActiveAction(action);
                    }
                QTest::keyClick(menu, choose ? Qt::Key_Return : Qt::Key_Escape);
            });
            emit f->list()->customContextMenuRequested(QPoint(3, 3));
            return enabled;
        };
        QVERIFY(!menuEntry("Convert failed files again", false));
        convert();
        QCOMPARE(f->list()->StatusText(1), QString("Failed"));
        QCOMPARE(f->list()->Note(1), "zezozov: " + y + ": No such file");
        QVERIFY(menuEntry("Open output folder", true));
        QCOMPARE(f->opened, QList<QUrl>{QUrl::fromLocalFile(out())});
        f->folderEdit()->setText(QString::fromStdString(f->tmp.file("elsewhere/")));
        QVERIFY(QFile::rename(y + ".away", y));
        QVERIFY(menuEntry("Convert failed files again", true));
        QCOMPARE(f->encoder.Runs().size(), 1 + 3 + 1);
        QCOMPARE(Rows()[1], "2 clip.avi 00:00:10 320x240@25 Converted (3) " + y + "\n" + out("clip_avi.avi"));
        QCOMPARE(QDir(out()).entryList(QDir::Files | QDir::Hidden), (QStringList{"c.avi", "clip.avi", "clip_avi.avi"}));
        for (const auto& [name, source] : {std::pair{"clip.avi", x}, {"clip_avi.avi", y}, {"c.avi", c}})
            QCOMPARE(QString(ReadFile(out(name).toStdString()).c_str()).trimmed(), source);
        // Only the rows without a status are left, renumbered, the selected one still selected.
        f->AddThroughPicker({f->Source("d.avi", 10)});
        f->list()->SelectRow(3);
        QVERIFY(f->dlg->OnCommand(D::ID_LIST_REMOVE_CONVERTED));
        QCOMPARE(Rows(), QStringList{"1 d.avi 00:00:10 320x240@25"});
        QCOMPARE(f->list()->SelectedRows(), QList<int>{0});
    }

    // Cancel and the progress window's close box ask, and Yes stops the encoder; no output is left.
    void cancelAsksAndStops_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAsksAndStops() {
        QFETCH(bool, closeBox);
        f->AddThroughPicker({f->Source("a.avi", 300), f->Source("b.avi", 300)});
        f->encoder.Script("a.avi", "produce; report 6 1; report 6 2");
        f->encoder.Script("b.avi", "produce");
        bool stayedOpen = false;
        connect(progress(), &CProgressDlg::statusTextChanged, this, [&](const QString& text) {
            if (!text.endsWith("Finished 0.1%"))
                return;
            if (closeBox)
                progress()->close();
            else
                QTest::mouseClick(FindControl<QPushButton>(progress(), CProgressDlg::IDC_CANCEL), Qt::LeftButton);
            stayedOpen = progress()->isVisible() && progress()->StatusText() == "Cancel processing...";
        });
        f->prompts.setNextAnswer(Prompts::AnswerYes);
        convert();
        QCOMPARE(f->prompts.texts(), QStringList{"Do you really want to stop?"});
        QVERIFY(stayedOpen);
        QCOMPARE(QDir(QString::fromStdString(f->tmp.file("out"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void relativeFoldersAreTakenFromHome_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("underHome");
        for (auto [name, typed, underHome] :
             {std::tuple{"relative", "videos/out/", "videos/out/"}, {"tilde", "~/clips", "clips"}})
            QTest::newRow(name) << QString(typed) << QString(underHome);
    }
    void relativeFoldersAreTakenFromHome() {
        QFETCH(QString, typed);
        QFETCH(QString, underHome);
        const QByteArray oldHome = qgetenv("HOME");
        const QString home = QString::fromStdString(f->tmp.file("home"));
        qputenv("HOME", home.toUtf8());
        f->AddThroughPicker({f->Source("a.avi", 10)});
        f->encoder.Script("a.avi", "produce");
        f->folderEdit()->setText(typed);
        convert();
        // A second batch lands in the same place, although the first one changed the current folder.
        convert();
        qputenv("HOME", oldHome);
        QCOMPARE(f->folderEdit()->text(), home + "/" + underHome);
        QCOMPARE(QString::fromStdString(f->dlg->outputFolder()), f->folderEdit()->text());
        QVERIFY(QDir(f->folderEdit()->text()).exists("a.avi"));
        QCOMPARE(f->encoder.Runs().size(), 3); // one probe, two conversions
    }

    // A folder the batch refuses is not created, not saved, and doesn't stop files from being added.
    void refusedFolderIsNeitherMadeNorKept() {
        const std::string kept = f->dlg->outputFolder();
        const QString folder = QString::fromStdString(f->tmp.file("refused/")) + QString(300, 'y');
        f->folderEdit()->setText(folder);
        QCOMPARE(f->folderEdit()->text(), folder); // typed in whole, not cut short unseen
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

QTEST_MAIN(FileListTest)
#include "file_list_test.moc"
