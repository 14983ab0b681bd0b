#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include "convert/progress_dialog.h"
#include "support/main_window_fixture.h"

// The whole flow with the real encoder and FFmpeg: files picked in the open-file dialog are probed and
// listed, then converted by the Convert command into a folder that does not exist yet.
class AddAndConvertTest : public QObject {
    Q_OBJECT

    static void Run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
        QProcess p;
        p.start(program, args);
        QVERIFY2(p.waitForFinished(60000), qPrintable(program));
        QVERIFY2(p.exitCode() == 0, qPrintable(program + " " + args.join(' ') + "\n" + p.readAllStandardError()));
        if (out)
            *out = p.readAllStandardOutput();
    }

    static QJsonObject Probe(const QString& file) {
        QByteArray json;
        Run("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", file}, &json);
        return QJsonDocument::fromJson(json).object();
    }

    static QJsonObject Stream(const QJsonObject& probe, const QString& type) {
        for (const auto& s : probe["streams"].toArray())
            if (s.toObject()["codec_type"].toString() == type)
                return s.toObject();
        return {};
    }

    // Puts the real encoder where the program looks for it.
    static void UseRealEncoder(MainWindowFixture& f) {
        const std::filesystem::path encoder = std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "zezozov";
        QVERIFY(std::filesystem::exists(encoder));
        std::filesystem::remove(f.tmp.file("zezozov"));
        std::filesystem::create_symlink(encoder, f.tmp.file("zezozov"));
    }

private slots:
    void pickedFilesAreListedAndConverted() {
        MainWindowFixture f;
        UseRealEncoder(f);

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
        QCOMPARE(f.dlg->files().entries[1].sourceWidth, 176);
        QCOMPARE(f.dlg->files().entries[1].sourceHeight, 144);
        QVERIFY(qAbs(f.dlg->files().entries[1].sourceFrameRate - 29.97) < 0.01);

        const QString folder = QString::fromStdString(f.tmp.file("out/new/nested/"));
        FindControl<QLineEdit>(f.dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)->setText(folder);
        f.dlg->settings().outputFormat = 0; // AVI, MPEG-4 video with MP3 sound
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON));

        QCOMPARE(f.prompts.texts().size(), 1);
        QVERIFY2(f.prompts.texts()[0].startsWith("Mission accomplished! Total Time:"),
                 qPrintable(f.prompts.texts()[0]));
        struct {
            QString output;
            int width, height;
            double seconds;
            bool audio;
        } const expected[] = {{folder + "first clip.avi", 320, 240, 3, true},
                              {folder + "second.avi", 176, 144, 2, false}};
        for (const auto& e : expected) {
            QVERIFY2(QFile::exists(e.output), qPrintable(e.output));
            const QJsonObject probe = Probe(e.output);
            QCOMPARE(probe["format"].toObject()["format_name"].toString(), QStringLiteral("avi"));
            const QJsonObject video = Stream(probe, "video");
            QCOMPARE(video["codec_name"].toString(), QStringLiteral("mpeg4"));
            QCOMPARE(video["codec_tag_string"].toString(), QStringLiteral("DX50"));
            QCOMPARE(video["width"].toInt(), e.width);
            QCOMPARE(video["height"].toInt(), e.height);
            QVERIFY(qAbs(probe["format"].toObject()["duration"].toString().toDouble() - e.seconds) < 0.15);
            QCOMPARE(Stream(probe, "audio").isEmpty(), !e.audio);
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void cancelStopsTheRealEncoder() {
        MainWindowFixture f;
        UseRealEncoder(f);
        const QString clip = QString::fromStdString(f.tmp.file("src/long.avi"));
        Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=30", "-f", "lavfi",
                       "-i", "sine=duration=30", "-c:v", "mpeg4", "-q:v", "5", "-c:a", "mp2", clip});
        f.AddThroughPicker({clip});
        QCOMPARE(f.list()->RowCount(), 1);

        const QString folder = QString::fromStdString(f.tmp.file("out/"));
        FindControl<QLineEdit>(f.dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)->setText(folder);
        f.dlg->settings().outputFormat = 7; // DVD, slow enough to be stopped midway
        f.dlg->settings().tvMode = 1;
        // Cancel as soon as the first progress shows; the next report asks, and Yes stops the encoder.
        connect(f.dlg->progressWindow(), &CProgressDlg::statusTextChanged, f.dlg.get(), [&](const QString& text) {
            if (text.startsWith("Total time:") && text.contains(";Elapsed"))
                QTest::mouseClick(FindControl<QPushButton>(f.dlg->progressWindow(), CProgressDlg::IDC_CANCEL),
                                  Qt::LeftButton);
        });
        f.prompts.setNextAnswer(Prompts::AnswerYes);
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON));

        QCOMPARE(f.prompts.texts(), QStringList{"Do you really want to stop?"});
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(f.dlg->isEnabled());
    }
};

QTEST_MAIN(AddAndConvertTest)
#include "add_and_convert_test.moc"
