#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QtTest>

#include "app/prompts.h"
#include "support/temp_dir.h"

// The real open-file dialog, as the list's Add uses it.
class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    void videoPatternsMatchAnyLetterCase() {
        TempDir tmp;
        for (const char* name : {"MOVIE.AVI", "clip.avi", "Song.Mpg", "notes.txt", "show.Wmv"})
            WriteFile(tmp.file(name), "x");

        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(QString::fromStdString(tmp.path().string()));
            auto* view = dialog->findChild<QAbstractItemView*>("listView");
            QVERIFY(view);
            QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 4);
            for (int row = 0; row < 4; ++row)
                listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
            dialog->selectFile("\"MOVIE.AVI\" \"Song.Mpg\"");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtPrompts prompts;
        const QStringList picked = prompts.OpenFileNames(
            nullptr, "Import video files", "All support files (*.zodi *.avi *.div *.xvid *.mpeg *.mpg *.wmv *.asf *.asx)");

        listed.sort();
        QCOMPARE(listed, (QStringList{"MOVIE.AVI", "Song.Mpg", "clip.avi", "show.Wmv"}));
        const QString dir = QString::fromStdString(tmp.path().string());
        QCOMPARE(picked, (QStringList{dir + "/MOVIE.AVI", dir + "/Song.Mpg"}));
    }
};

QTEST_MAIN(PromptsTest)
#include "prompts_test.moc"
