#include <QMimeData>
#include <QtTest>

#include "support/main_window_fixture.h"

// Adding, removing and moving files in the main window's list, with a scripted encoder for the probes.
class FileListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    struct Facts {
        double duration;
        int width, height;
        double fps;
        bool operator==(const Facts&) const = default;
    };
    Facts FactsOf(int row) const {
        const VideoFileEntry& e = f->dlg->files().entries[static_cast<std::size_t>(row)];
        return {e.duration, e.sourceWidth, e.sourceHeight, e.sourceFrameRate};
    }
    QStringList Numbers() const {
        QStringList numbers;
        for (int i = 0; i < f->list()->RowCount(); ++i)
            numbers << f->list()->NumberText(i);
        return numbers;
    }
    // Three listed files: a (100 s, 320 x 240, 25 fps), b (200 s, 640 x 480, 29.97), c (300 s, 720 x 576, 23.976).
    QStringList AddThree() {
        const QStringList files{f->Source("a.avi", 100, 320, 240, 25), f->Source("b.mpg", 200, 640, 480, 29.97),
                                f->Source("c.wmv", 300, 720, 576, 23.976)};
        f->AddThroughPicker(files);
        return files;
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void threeFilesAreNumberedAndSummed() {
        const QStringList files = AddThree();
        QCOMPARE(f->prompts.pickerTitles, QStringList{"Import video files"});
        QCOMPARE(f->prompts.pickerFilters[0].count(";;") + 1, 4);
        QCOMPARE(f->prompts.texts(), QStringList());
        QCOMPARE(Numbers(), (QStringList{"          1", "          2", "          3"}));
        QCOMPARE(f->Paths(), files);
        QCOMPARE(f->list()->DurationText(1), QStringLiteral("00:03:20"));
        QCOMPARE(f->dlg->files().fileCount, 3);
        QCOMPARE(f->dlg->files().totalDuration, 600.0);
        QCOMPARE(FactsOf(1), (Facts{200, 640, 480, 29.97}));
        const QStringList runs = f->encoder.Runs();
        QCOMPARE(runs.size(), 3);
        QVERIFY2(runs[0].endsWith(QStringLiteral(" 1 %1").arg(f->dlg->winId())), qPrintable(runs[0]));
    }

    void removingTheSecondOfThreeRenumbers() {
        const QStringList files = AddThree();
        const Facts third = FactsOf(2);
        f->list()->SelectRow(1);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_REMOVE));
        QCOMPARE(Numbers(), (QStringList{"          1", "          2"}));
        QCOMPARE(f->Paths(), (QStringList{files[0], files[2]}));
        QCOMPARE(f->list()->SelectedRow(), 1);
        QCOMPARE(FactsOf(1), third);
        QCOMPARE(f->dlg->files().fileCount, 2);
        QCOMPARE(f->dlg->files().totalDuration, 400.0);
    }

    void removingTheLastLeavesNoSelection() {
        AddThree();
        f->list()->SelectRow(2);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::ID_LIST_REMOVE));
        QCOMPARE(f->list()->RowCount(), 2);
        QCOMPARE(f->list()->SelectedRow(), -1);
        QCOMPARE(f->dlg->files().totalDuration, 300.0);
        // Nothing selected: Remove does nothing and says nothing.
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_REMOVE));
        QCOMPARE(f->list()->RowCount(), 2);
        QVERIFY(f->prompts.shown.isEmpty());
    }

    void movesAtTheEndsChangeNothing_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("command");
        QTest::newRow("up on the first") << 0 << int(CConverterDlg::IDC_MOVE_UP);
        QTest::newRow("down on the last") << 2 << int(CConverterDlg::ID_LIST_MOVE_DOWN);
    }
    void movesAtTheEndsChangeNothing() {
        QFETCH(int, row);
        QFETCH(int, command);
        const QStringList files = AddThree();
        f->list()->SelectRow(row);
        QVERIFY(f->dlg->OnCommand(command));
        QCOMPARE(f->Paths(), files);
        QCOMPARE(FactsOf(0), (Facts{100, 320, 240, 25}));
        QCOMPARE(f->list()->SelectedRow(), row);
    }

    void moveDownSwapsTextsAndFactsButNotNumbers() {
        const QStringList files{f->Source("a.avi", 100, 320, 240, 25), f->Source("b.mpg", 200, 640, 480, 29.97)};
        f->AddThroughPicker(files);
        f->list()->SelectRow(0);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_MOVE_DOWN));
        QCOMPARE(f->Paths(), (QStringList{files[1], files[0]}));
        QCOMPARE(f->list()->DurationText(0), QStringLiteral("00:03:20"));
        QCOMPARE(Numbers(), (QStringList{"          1", "          2"}));
        QCOMPARE(FactsOf(0), (Facts{200, 640, 480, 29.97}));
        QCOMPARE(FactsOf(1), (Facts{100, 320, 240, 25}));
        QCOMPARE(f->list()->SelectedRow(), 1);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::ID_LIST_MOVE_UP));
        QCOMPARE(f->Paths(), files);
    }

    void moveWithoutSelectionWarns() {
        AddThree();
        f->list()->clearSelection();
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_MOVE_UP));
        QCOMPARE(f->prompts.texts(), QStringList{"No item was selected!"});
        QCOMPARE(f->prompts.shown[0].caption, QStringLiteral("Warning"));
    }

    void failuresAreReportedAfterwardsInOrder() {
        const QStringList files{f->Source("1.avi", 10), f->Unreadable("2.avi"), f->Source("3.avi", 10),
                                f->Unreadable("4.avi"), f->Source("5.avi", 10)};
        f->AddThroughPicker(files);
        QCOMPARE(f->Paths(), (QStringList{files[0], files[2], files[4]}));
        QCOMPARE(f->prompts.texts(), (QStringList{f->UnreadableRefusal(files[1]), f->UnreadableRefusal(files[3])}));
        QCOMPARE(f->dlg->files().totalDuration, 30.0);
    }

    void aProbeThatSaysNothingRejectsTheFile_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("why");
        const QString silent = "The encoder gave no playing time, frame size or frame rate for it.";
        QTest::newRow("no report at all") << "" << silent;
        QTest::newRow("crash after the duration") << "report 1 50; kill -9 $$"
                                                  << "the encoder crashed";
        QTest::newRow("no frame rate") << "report 1 50; report 2 320; report 3 240" << silent;
    }
    void aProbeThatSaysNothingRejectsTheFile() {
        QFETCH(QString, scenario);
        QFETCH(QString, why);
        // A good file first, so an entry with facts exists that a silent probe might inherit.
        const QString good = f->Source("good.avi", 40);
        f->AddThroughPicker({good});
        f->list()->SelectRow(0);
        f->dlg->OnCommand(CConverterDlg::IDC_REMOVE);
        WriteFile(f->tmp.file("src/silent.avi"), "?");
        f->encoder.Script("silent.avi", scenario.toStdString());
        const QString silent = QString::fromStdString(f->tmp.file("src/silent.avi"));
        f->AddThroughPicker({silent});
        QCOMPARE(f->list()->RowCount(), 0);
        QCOMPARE(f->prompts.texts(), QStringList{f->Refusal(silent, why)});
        QCOMPARE(f->dlg->files().totalDuration, 0.0);
    }

    void missingEncoderIsNamedOnce() {
        const QStringList files{f->Source("a.avi", 10), f->Source("b.avi", 10)};
        std::filesystem::remove(f->tmp.file("zezozov"));
        f->AddThroughPicker(files);
        QCOMPARE(f->list()->RowCount(), 0);
        const QStringList texts = f->prompts.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts[0].contains(QString::fromStdString(f->tmp.file("zezozov"))), qPrintable(texts[0]));
        QCOMPARE(texts[1], f->Refusal(files[0], "The encoder could not be started."));
        QCOMPARE(f->encoder.Runs().size(), 0);
    }

    // A path that can't reach the encoder is refused with its reason, before any encoder runs.
    void unsafePathsAreRefusedWithTheirReason() {
        const QStringList files{f->Source("say \"hi\".avi", 10), f->Source("two\nlines.avi", 10),
                                f->Source(std::string(260 - f->tmp.file("src/").size(), 'z') + ".avi", 10)};
        f->AddThroughPicker(files);
        QCOMPARE(f->list()->RowCount(), 0);
        QCOMPARE(f->prompts.texts(),
                 (QStringList{f->Refusal(files[0], "The path " + files[0] +
                                                       " holds a double quote, which can't be passed to the encoder."),
                              f->Refusal(files[1], "The path " + files[1] +
                                                       " holds a line break, which can't be passed to the encoder."),
                              f->Refusal(files[2], "The path " + files[2] + " is longer than 255 characters.")}));
        QCOMPARE(f->encoder.Runs().size(), 0);
    }

    void listGrowsPast99Files() {
        QStringList files;
        for (int i = 0; i < 150; ++i)
            files << f->Source("clip" + std::to_string(i) + ".avi", 2);
        f->AddThroughPicker(files);
        QCOMPARE(f->list()->RowCount(), 150);
        QCOMPARE(f->dlg->files().fileCount, 150);
        QCOMPARE(f->list()->NumberText(149), QStringLiteral("          150"));
        QCOMPARE(f->list()->PathText(149), files[149]);
        QCOMPARE(f->dlg->files().totalDuration, 300.0);
    }

    void droppedFilesAreProbedLikeAdded() {
        const QStringList files{f->Source("a.avi", 10), f->Unreadable("b.avi")};
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(files[0]), QUrl::fromLocalFile(files[1])});
        QWidget* target = f->list()->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCOMPARE(f->Paths(), QStringList{files[0]});
        QCOMPARE(f->prompts.texts(), QStringList{f->UnreadableRefusal(files[1])});
    }

    void commandsWaitWhileAProbeRuns() {
        const QStringList first{f->Source("a.avi", 10)};
        f->AddThroughPicker(first);
        f->list()->SelectRow(0);
        WriteFile(f->tmp.file("src/slow.avi"), "?");
        f->encoder.Script("slow.avi", "report 1 20; sleep 0.5; report 2 320; report 3 240; report 4 250000000");
        QList<bool> ran;
        bool enabledMeanwhile = false;
        QTimer::singleShot(150, [&] {
            enabledMeanwhile = f->dlg->isEnabled() && f->dlg->IsProbing();
            for (int id : {int(CConverterDlg::IDC_REMOVE), int(CConverterDlg::IDC_MOVE_DOWN),
                           int(CConverterDlg::IDC_CONVERT), int(CConverterDlg::ID_LIST_ADD)})
                ran << f->dlg->OnCommand(id);
        });
        f->dlg->AddFiles({QString::fromStdString(f->tmp.file("src/slow.avi"))});
        QVERIFY(enabledMeanwhile);
        QCOMPARE(ran, (QList<bool>{false, false, false, false}));
        QCOMPARE(f->list()->RowCount(), 2);
        QVERIFY(f->prompts.shown.isEmpty());
    }

    void rightClickMenuRunsTheChosenCommand() {
        AddThree();
        f->list()->SelectRow(0);
        f->dlg->SetCursorSourceForTest([] { return QPoint(120, 80); });
        QPoint shownAt;
        MainWindowFixture::OnNextWindow([&](QWidget* menu) {
            shownAt = menu->pos();
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        emit f->list()->customContextMenuRequested(QPoint(3, 3));
        QCOMPARE(shownAt, QPoint(120, 80));
        QCOMPARE(f->list()->RowCount(), 2);
    }
};

QTEST_MAIN(FileListTest)
#include "file_list_test.moc"
