#include <QProcess>

#include "support/main_window_fixture.h"

// The whole flow with the real encoder and FFmpeg: files picked in the open-file dialog are probed and
// listed, then converted by the Convert command into a folder that does not exist yet.
class AddAndConvertTest : public QObject {
    Q_OBJECT

    static QByteArray Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qWarning() << program << args << p.readAllStandardError();
        return p.readAllStandardOutput();
    }

private slots:
    void pickedFilesAreListedAndConverted() {
        MainWindowFixture f;
        f.UseRealEncoder();
        const QString first = QString::fromStdString(f.tmp.file("src/first clip.mpg"));
        const QString second = QString::fromStdString(f.tmp.file("src/second.avi"));
        Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3", "-f", "lavfi",
                       "-i", "sine=frequency=440:duration=3", "-c:v", "mpeg1video", "-c:a", "mp2", "-shortest", first});
        Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=176x144:rate=30000/1001:duration=2", "-c:v",
                       "mpeg4", second});
        f.AddThroughPicker({first, second});
        QCOMPARE(f.prompts.texts(), QStringList());
        QCOMPARE(f.Paths(), (QStringList{first, second}));
        QCOMPARE(f.list()->DurationText(0), QStringLiteral("00:00:03"));
        const VideoFileEntry& probed = f.dlg->files().entries[1];
        QCOMPARE(QSize(probed.sourceWidth, probed.sourceHeight), QSize(176, 144));
        QVERIFY(qAbs(probed.sourceFrameRate - 29.97) < 0.01);

        const QString folder = QString::fromStdString(f.tmp.file("out/new/nested/"));
        f.folderEdit()->setText(folder);
        f.dlg->settings().outputFormat = 0; // AVI, MPEG-4 video with MP3 sound
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON));
        QVERIFY2(f.prompts.texts().size() == 1 && f.prompts.texts()[0].startsWith("Mission accomplished! Total Time:"),
                 qPrintable(f.prompts.texts().join('\n')));
        const struct {
            QString output, streams; // each stream's codec, tag and picture size
            double seconds;
        } expected[] = {{folder + "first clip.avi", "mpeg4,DX50,320,240 mp3,U[0][0][0]", 3},
                        {folder + "second.avi", "mpeg4,DX50,176,144", 2}};
        for (const auto& e : expected) {
            QStringList probe =
                QString(Run("ffprobe", {"-v", "error", "-show_entries",
                                        "stream=codec_name,codec_tag_string,width,height:format=format_name,duration",
                                        "-of", "csv=p=0", e.output}))
                    .split('\n', Qt::SkipEmptyParts);
            const QString format = probe.takeLast();
            QCOMPARE(probe.join(' '), e.streams);
            QVERIFY2(format.startsWith("avi,") && qAbs(format.mid(4).toDouble() - e.seconds) < 0.15,
                     qPrintable(format));
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_MAIN(AddAndConvertTest)
#include "add_and_convert_test.moc"
