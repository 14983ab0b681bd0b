#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
        QCOMPARE(f.prompts.texts().size(), 1);
        QVERIFY2(f.prompts.texts()[0].startsWith("Mission accomplished! Total Time:"),
                 qPrintable(f.prompts.texts()[0]));
        const struct {
            QString output;
            QString streams; // codec:tag:width x height of each stream
            double seconds;
        } expected[] = {{folder + "first clip.avi", "mpeg4:DX50:320x240 mp3", 3},
                        {folder + "second.avi", "mpeg4:DX50:176x144", 2}};
        for (const auto& e : expected) {
            const QJsonObject probe =
                QJsonDocument::fromJson(
                    Run("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", e.output}))
                    .object();
            QStringList streams;
            for (const auto& s : probe["streams"].toArray()) {
                const QJsonObject o = s.toObject();
                streams << (o["codec_type"] == "video"
                                ? QStringLiteral("%1:%2:%3x%4")
                                      .arg(o["codec_name"].toString(), o["codec_tag_string"].toString())
                                      .arg(o["width"].toInt())
                                      .arg(o["height"].toInt())
                                : o["codec_name"].toString());
            }
            QCOMPARE(streams.join(' '), e.streams);
            QCOMPARE(probe["format"].toObject()["format_name"].toString(), QStringLiteral("avi"));
            QVERIFY2(qAbs(probe["format"].toObject()["duration"].toString().toDouble() - e.seconds) < 0.15,
                     qPrintable(e.output));
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_MAIN(AddAndConvertTest)
#include "add_and_convert_test.moc"
