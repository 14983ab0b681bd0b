#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/main_window_fixture.h"

namespace {

struct Pick {
    int id;
    int position;
};

// What a choice in the dialog promises about the converted file.
struct Promise {
    QString file;
    int width, height;
    QString frameRate;
    double displayAspect, aspectTolerance;
    QString audioCodec;
};

QByteArray Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        qWarning() << program << args << p.readAllStandardError();
    return p.readAllStandardOutput();
}

QJsonObject Stream(const QJsonObject& probe, const QString& type) {
    for (const auto& s : probe["streams"].toArray())
        if (s.toObject()["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

// "16:9" as a number.
double Ratio(const QString& text) {
    const QStringList parts = text.split(':');
    return parts.size() == 2 && parts[1].toDouble() != 0 ? parts[0].toDouble() / parts[1].toDouble() : 0;
}

} // namespace

Q_DECLARE_METATYPE(QList<Pick>)
Q_DECLARE_METATYPE(Promise)

// Settings chosen in the Output Settings dialog, converted by the real encoder and FFmpeg, and checked with ffprobe.
class SettingsConvertTest : public QObject {
    Q_OBJECT

private slots:
    void convertedFileKeepsThePromise_data() {
        QTest::addColumn<QList<Pick>>("picks");
        QTest::addColumn<Promise>("promise");
        using D = CSettingsDlg;
        QTest::newRow("DVD, NTSC, 16:9") << QList<Pick>{{D::IDC_OUTPUT_FORMAT, FORMAT_DVD},
                                                        {D::IDC_TV_MODE, 0},
                                                        {D::IDC_ASPECT_RATIO, 1}}
                                         << Promise{"clip.vob", 720, 480, "30000/1001", 16.0 / 9, 0.01, "ac3"};
        // MPEG-1 signals only a few pixel shapes; at 352 x 240 the nearest gives 2.18:1.
        QTest::newRow("MPEG1, 2.21:1") << QList<Pick>{{D::IDC_OUTPUT_FORMAT, FORMAT_MPEG1},
                                                      {D::IDC_ASPECT_RATIO, 3},
                                                      {D::IDC_RESOLUTION, 11},
                                                      {D::IDC_FRAME_RATE, 4}}
                                       << Promise{"clip.mpeg", 352, 240, "30000/1001", 2.21, 0.05, "mp2"};
        QTest::newRow("AVI, AC3, 320 x 240") << QList<Pick>{{D::IDC_OUTPUT_FORMAT, FORMAT_AVI},
                                                            {D::IDC_AUDIO_CODEC, 1},
                                                            {D::IDC_RESOLUTION, 10},
                                                            {D::IDC_FRAME_RATE, 2}}
                                             << Promise{"clip.avi", 320, 240, "20/1", 4.0 / 3, 0.01, "ac3"};
    }
    void convertedFileKeepsThePromise() {
        QFETCH(QList<Pick>, picks);
        QFETCH(Promise, promise);
        MainWindowFixture f;
        const std::filesystem::path encoder = std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "zezozov";
        QVERIFY(std::filesystem::exists(encoder));
        std::filesystem::remove(f.tmp.file("zezozov"));
        std::filesystem::create_symlink(encoder, f.tmp.file("zezozov"));

        const QString clip = QString::fromStdString(f.tmp.file("src/clip.avi"));
        Run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=2", "-f", "lavfi",
                       "-i", "sine=duration=2", "-ac", "2", "-c:v", "mpeg4", "-c:a", "mp2", clip});
        f.AddThroughPicker({clip});
        QCOMPARE(f.list()->RowCount(), 1);

        MainWindowFixture::OnNextWindow([&](QWidget* w) {
            auto* dlg = qobject_cast<CSettingsDlg*>(w);
            if (!dlg)
                return;
            for (const Pick& pick : picks) {
                auto* combo = FindControl<QComboBox>(dlg, pick.id);
                QTest::keyClick(combo, Qt::Key_Home);
                for (int i = 0; i < pick.position; ++i)
                    QTest::keyClick(combo, Qt::Key_Down);
            }
            QTest::mouseClick(FindControl<QPushButton>(dlg, CSettingsDlg::IDOK), Qt::LeftButton);
        });
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_SETTINGS));

        const QString folder = QString::fromStdString(f.tmp.file("out/"));
        FindControl<QLineEdit>(f.dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)->setText(folder);
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_CONVERT));
        QVERIFY2(f.prompts.texts().value(0).startsWith("Mission accomplished!"),
                 qPrintable(f.prompts.texts().join('\n')));

        const QJsonObject probe = QJsonDocument::fromJson(Run("ffprobe", {"-v", "error", "-show_streams", "-of", "json",
                                                                          folder + promise.file}))
                                      .object();
        const QJsonObject video = Stream(probe, "video");
        QCOMPARE(video["width"].toInt(), promise.width);
        QCOMPARE(video["height"].toInt(), promise.height);
        QCOMPARE(video["r_frame_rate"].toString(), promise.frameRate);
        const double aspect = Ratio(video["display_aspect_ratio"].toString());
        QVERIFY2(qAbs(aspect - promise.displayAspect) < promise.aspectTolerance,
                 qPrintable(video["display_aspect_ratio"].toString()));
        QCOMPARE(Stream(probe, "audio")["codec_name"].toString(), promise.audioCodec);
    }
};

QTEST_MAIN(SettingsConvertTest)
#include "settings_convert_test.moc"
