#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include "controls/prompts.h"
#include "mainwin/converter_dlg.h"
#include "support/temp_dir.h"

// The real open-file dialog with the main window's filters, as the list's Add uses it.
class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    // Several files at once, today's video files too, the patterns matching in any letter case; the last entry shows
    // every file.
    void severalVideoFilesInAnyLetterCase() {
        TempDir tmp;
        for (const char* name :
             {"MOVIE.AVI", "clip.avi", "Song.Mpg", "notes.txt", "show.Wmv", "phone.MP4", "cam.mts", "ad.webm"})
            WriteFile(tmp.file(name), "x");
        const QString dir = QString::fromStdString(tmp.path().string());

        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // Whatever happens below, the dialog closes, so a failure can't leave the test waiting.
            auto close = qScopeGuard([dialog] {
                if (dialog->isVisible())
                    dialog->reject();
            });
            dialog->setDirectory(dir);
            auto* view = dialog->findChild<QAbstractItemView*>("listView");
            QVERIFY(view);
            dialog->selectNameFilter(dialog->nameFilters().last());
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 8);
            dialog->selectNameFilter(dialog->nameFilters().first());
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 7);
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier); // every file, as a user picking several does
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtPrompts prompts("quor-zodi-converter");
        QStringList picked = prompts.OpenFileNames(nullptr, "Import video files", CConverterDlg::VideoFileFilter());
        picked.sort();
        QCOMPARE(picked, (QStringList{dir + "/MOVIE.AVI", dir + "/Song.Mpg", dir + "/ad.webm", dir + "/cam.mts",
                                      dir + "/clip.avi", dir + "/phone.MP4", dir + "/show.Wmv"}));
    }

    // A question's Enter answers Yes, as "Do you really want to stop?" needs; a plain message's closes it.
    void enterTakesTheDefaultAnswer() {
        for (auto [buttons, answer] :
             {std::pair{Prompts::YesNoButtons, int(Prompts::AnswerYes)}, {Prompts::OkButton, int(Prompts::AnswerOk)}}) {
            QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
            QCOMPARE(QtPrompts("quor-zodi-converter")
                         .MessageBox(nullptr, "Do you really want to stop?", "", buttons, Prompts::WarningIcon),
                     answer);
        }
    }
};

QTEST_MAIN(PromptsTest)
#include "prompts_test.moc"
