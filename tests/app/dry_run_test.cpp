#include <sstream>

#include <QtTest>

#include "app/command_line_batch.h"
#include "convert/parameter_text.h"
#include "support/main_window_fixture.h"

// --dry-run prints the text the window hands the encoder: both runs here go to the same scripted encoder, which
// logs its arguments.
class DryRunTest : public QObject {
    Q_OBJECT

private slots:
    void dryRunPrintsWhatTheWindowGivesTheEncoder() {
        MainWindowFixture f;
        const QString source = f.Source("clip.avi", 12, 640, 480, 29.97); // letter-boxed into 720 x 576
        const std::string out = f.tmp.file("out/");

        std::ostringstream printed, errors;
        const int status = RunCommandLineBatch(
            ParseCommandLine({"--convert", "--dry-run", "--format", "dvd", "--set", "TV mode=1", "--set",
                              "DVD quality=3", "--set", "Volume=25", "--output", out, source.toStdString()}),
            printed, errors, false);
        QCOMPARE(status, 0);
        QCOMPARE(QString::fromStdString(errors.str()), QString());
        QVERIFY2(!std::filesystem::exists(out), "a dry run makes no folder");
        const QStringList lines = QString::fromStdString(printed.str()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString::fromStdString(out + "clip.vob"));

        ConversionSettings& settings = f.dlg->settings();
        settings.outputFormat = 7;
        settings.tvMode = 1;
        settings.dvdQuality = 3;
        settings.volume = 25;
        FindControl<QLineEdit>(f.dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)->setText(QString::fromStdString(out));
        f.AddThroughPicker({source});
        QVERIFY(f.dlg->OnCommand(CConverterDlg::IDC_CONVERT_BUTTON));

        // The encoder's arguments, as it logs them. Only the window has a window handle (the last), and only a run
        // has the private name its encoder writes under (after -o), a hidden one in the output folder.
        QStringList windowRun = f.encoder.Runs().last().split(' ');
        QStringList dryRun;
        for (const std::string& argument : SplitParameterText(lines[1].toStdString()))
            dryRun << QString::fromStdString(argument);
        QCOMPARE(dryRun.last(), QStringLiteral("0"));
        QVERIFY2(windowRun[2].startsWith(QString::fromStdString(out + ".")), qPrintable(windowRun[2]));
        windowRun[2] = dryRun[2];
        windowRun.last() = dryRun.last();
        QCOMPARE(dryRun, windowRun);
        QVERIFY2(windowRun.join(' ').contains("expand=720:576"), qPrintable(windowRun.join(' ')));
    }
};

QTEST_MAIN(DryRunTest)
#include "dry_run_test.moc"
