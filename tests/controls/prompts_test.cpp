#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include "controls/prompts.h"
#include "support/temp_dir.h"

// The real open-file dialog, as the list's Add uses it.
class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    void severalVideoFilesInAnyLetterCase() {
        TempDir tmp;
        for (const char* name : {"MOVIE.AVI", "clip.avi", "Song.Mpg", "notes.txt", "show.Wmv"})
            WriteFile(tmp.file(name), "x");
        const QString dir = QString::fromStdString(tmp.path().string());

        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // Whatever happens below, the dialog closes, so a failure can't leave the test waiting.
            auto close = qScopeGuard([dialog] { QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection); });
            dialog->setDirectory(dir);
            auto* view = dialog->findChild<QAbstractItemView*>("listView");
            QVERIFY(view);
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 4);
            // Two rows clicked, the second with Ctrl held, as a user picking several files does.
            Qt::KeyboardModifiers modifiers = Qt::NoModifier;
            for (int row = 0; row < 4; ++row) {
                const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
                listed << index.data().toString();
                if (listed.last() == "MOVIE.AVI" || listed.last() == "Song.Mpg") {
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
                    modifiers = Qt::ControlModifier;
                }
            }
            close.dismiss();
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        QtPrompts prompts("quor-zodi-converter");
        QStringList picked =
            prompts.OpenFileNames(nullptr, "Import video files",
                                  "All support files (*.zodi *.avi *.div *.xvid *.mpeg *.mpg *.wmv *.asf *.asx)");
        listed.sort();
        picked.sort();
        QCOMPARE(listed, (QStringList{"MOVIE.AVI", "Song.Mpg", "clip.avi", "show.Wmv"}));
        QCOMPARE(picked, (QStringList{dir + "/MOVIE.AVI", dir + "/Song.Mpg"}));
    }
};

QTEST_MAIN(PromptsTest)
#include "prompts_test.moc"
