#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/combo_pick.h"
#include "support/main_window_fixture.h"

namespace {

QComboBox* Combo(const QWidget* window, int id) {
    return FindControl<QComboBox>(window, id);
}

// What the main window's three controls show.
struct MainShown {
    QString format, tvMode, aspect;
    bool tvEnabled, aspectEnabled;
    int aspectCount;
    bool operator==(const MainShown&) const = default;
};

MainShown Shown(const QWidget* window) {
    const QComboBox* tv = Combo(window, CConverterDlg::IDC_TV_MODE);
    const QComboBox* aspect = Combo(window, CConverterDlg::IDC_ASPECT_RATIO);
    return {Combo(window, CConverterDlg::IDC_OUTPUT_FORMAT)->currentText(),
            tv->currentText(),
            aspect->currentText(),
            tv->isEnabled(),
            aspect->isEnabled(),
            aspect->count()};
}

} // namespace

Q_DECLARE_METATYPE(MainShown)

// The main window's format controls and its way into the Output Settings dialog and back.
class OutputSettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    // Opens the dialog by `id`, lets `edit` work in it, then ends it with `close`.
    void InSettingsDialog(int id, std::function<void(CSettingsDlg*)> edit,
                          std::function<void(CSettingsDlg*)> close = nullptr) {
        bool seen = false;
        MainWindowFixture::OnNextWindow([&](QWidget* w) {
            auto* dlg = qobject_cast<CSettingsDlg*>(w);
            if (!dlg)
                return;
            seen = true;
            edit(dlg);
            if (close)
                close(dlg);
            else
                QTest::mouseClick(FindControl<QPushButton>(dlg, CSettingsDlg::IDOK), Qt::LeftButton);
        });
        QVERIFY(f->dlg->OnCommand(id));
        QVERIFY(seen);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void formatPickRebuildsTheQuickControls_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<MainShown>("shown");
        QTest::addColumn<int>("aspectPick");
        QTest::addColumn<bool>("intoMpegAspect");
        QTest::newRow("MPEG2") << int(FORMAT_MPEG2)
                               << MainShown{"MPEG2 Format (*.mpg)", "NTSC", "16:9   (Wide screen TV)", false, true, 4}
                               << 3 << true;
        QTest::newRow("DVD")
            << int(FORMAT_DVD)
            << MainShown{"DVD compatible MPEG2 Format (*.vob)", "NTSC", "16:9   (Wide screen TV)", true, true, 2} << 0
            << false;
        QTest::newRow("AVI") << int(FORMAT_AVI)
                             << MainShown{"AVI Format (*.avi)", "NTSC", "16:9   (Wide screen TV)", false, false, 2}
                             << -1 << false;
    }
    void formatPickRebuildsTheQuickControls() {
        QFETCH(int, format);
        QFETCH(MainShown, shown);
        QFETCH(int, aspectPick);
        QFETCH(bool, intoMpegAspect);
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FORMAT), FORMAT_VCD); // from a format that differs
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FORMAT), format);
        QCOMPARE(Shown(f->dlg.get()), shown);
        ConversionSettings expected = SettingsFromText("");
        expected.outputFormat = format;
        QCOMPARE(f->dlg->settings(), expected);
        if (aspectPick < 0)
            return;
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_ASPECT_RATIO), aspectPick);
        (intoMpegAspect ? expected.mpegAspectRatio : expected.dvdAspectRatio) = aspectPick;
        if (shown.tvEnabled) { // the TV mode pick changes the TV mode only
            Pick(Combo(f->dlg.get(), CConverterDlg::IDC_TV_MODE), 1);
            expected.tvMode = 1;
        }
        QCOMPARE(f->dlg->settings(), expected);
    }

    // Both Settings buttons open the dialog with the main window's format; "Ok" brings its choices back.
    void settingsButtonsOpenTheDialog_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("tool bar") << int(CConverterDlg::IDC_SETTINGS);
        QTest::newRow("beside the format") << int(CConverterDlg::IDC_SETTINGS_BUTTON);
    }
    void settingsButtonsOpenTheDialog() {
        QFETCH(int, id);
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FORMAT), FORMAT_MPEG2);
        ConversionSettings chosen;
        InSettingsDialog(id, [&](CSettingsDlg* dlg) {
            QCOMPARE(Combo(dlg, CSettingsDlg::IDC_OUTPUT_FORMAT)->currentText(),
                     QStringLiteral("MPEG2 Format (*.mpg)"));
            Pick(Combo(dlg, CSettingsDlg::IDC_OUTPUT_FORMAT), FORMAT_SVCD);
            Pick(Combo(dlg, CSettingsDlg::IDC_TV_MODE), 1);
            Pick(Combo(dlg, CSettingsDlg::IDC_ASPECT_RATIO), 0);
            chosen = dlg->Settings();
        });
        QCOMPARE(f->dlg->settings(), chosen);
        QCOMPARE(Shown(f->dlg.get()),
                 (MainShown{"SVCD compatible MPEG2 Format (*.mpg)", "PAL", "4:3    (Standard TV)", true, true, 2}));
    }

    void cancelLeavesEverythingAsItWas_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelLeavesEverythingAsItWas() {
        QFETCH(int, how);
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FORMAT), FORMAT_DVD);
        const ConversionSettings before = f->dlg->settings();
        const MainShown shown = Shown(f->dlg.get());
        InSettingsDialog(
            CConverterDlg::IDC_SETTINGS,
            [&](CSettingsDlg* dlg) {
                Pick(Combo(dlg, CSettingsDlg::IDC_TV_MODE), 1);
                Pick(Combo(dlg, CSettingsDlg::IDC_OUTPUT_FORMAT), FORMAT_MPEG1);
                Pick(Combo(dlg, CSettingsDlg::IDC_ASPECT_RATIO), 0);
                QTest::keyClick(FindControl<QSlider>(dlg, CSettingsDlg::IDC_VOLUME), Qt::Key_End);
                QTest::mouseClick(FindControl<QCheckBox>(dlg, CSettingsDlg::IDC_LETTERBOX), Qt::LeftButton);
            },
            [&](CSettingsDlg* dlg) {
                if (how == 0)
                    QTest::mouseClick(FindControl<QPushButton>(dlg, CSettingsDlg::IDCANCEL), Qt::LeftButton);
                else if (how == 1)
                    QTest::keyClick(dlg, Qt::Key_Escape);
                else
                    dlg->close();
            });
        QCOMPARE(f->dlg->settings(), before);
        QCOMPARE(Shown(f->dlg.get()), shown);
    }

    void tabFollowsTheTemplate() {
        Pick(Combo(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FORMAT), FORMAT_DVD); // every control enabled
        QVERIFY(QTest::qWaitForWindowActive(f->dlg.get()));
        FindControl(f->dlg.get(), CConverterDlg::IDC_ADD)->setFocus();
        const QStringList expected{"idc1000", "idc1001", "idc1003", "idc1006", "idc1018", "idc1019",
                                   "idc1025", "idc1026", "idc1027", "idc1028", "idc1066", "idc1069",
                                   "idc1067", "idc1079", "idc1080", "idc1002"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    // Enter presses a push button that has the focus; anywhere else it does nothing, and never ends the program.
    void enterPressesOnlyAFocusedButton_data() {
        QTest::addColumn<int>("focus");
        QTest::addColumn<QStringList>("pickers");
        QTest::newRow("folder box") << int(CConverterDlg::IDC_OUTPUT_FOLDER) << QStringList();
        QTest::newRow("Change") << int(CConverterDlg::IDC_CHANGE_FOLDER) << QStringList{"Select a temporary folder"};
        QTest::newRow("Add") << int(CConverterDlg::IDC_ADD) << QStringList{"Import video files"};
    }
    void enterPressesOnlyAFocusedButton() {
        QFETCH(int, focus);
        QFETCH(QStringList, pickers);
        QVERIFY(QTest::qWaitForWindowActive(f->dlg.get()));
        QWidget* control = FindControl(f->dlg.get(), focus);
        control->setFocus();
        QCOMPARE(QApplication::focusWidget(), control);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(control, key);
        QVERIFY(f->dlg->isVisible());
        QCOMPARE(f->dlg->result(), 0);
        QCOMPARE(f->prompts.pickerTitles.size(), pickers.size() * 2);
        if (!pickers.isEmpty())
            QCOMPARE(f->prompts.pickerTitles.first(), pickers.first());
    }

    // What the dialog's "Ok" stores is what the next conversion hands the encoder and what option.ini holds
    // when the program ends.
    void dialogChoiceReachesTheEncoderAndTheFile() {
        f->AddThroughPicker({f->Source("clip.avi", 4)});
        FindControl<QLineEdit>(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER)
            ->setText(QString::fromStdString(f->tmp.file("out/")));
        InSettingsDialog(CConverterDlg::IDC_SETTINGS, [&](CSettingsDlg* dlg) {
            Pick(Combo(dlg, CSettingsDlg::IDC_OUTPUT_FORMAT), FORMAT_DVD);
            Pick(Combo(dlg, CSettingsDlg::IDC_TV_MODE), 0);
            Pick(Combo(dlg, CSettingsDlg::IDC_ASPECT_RATIO), 0);
            Pick(Combo(dlg, CSettingsDlg::IDC_AUDIO_CODEC), 1);
            Pick(Combo(dlg, CSettingsDlg::IDC_QUALITY), 1);
            auto* volume = FindControl<QSlider>(dlg, CSettingsDlg::IDC_VOLUME);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(volume, Qt::Key_Right);
            QTest::mouseClick(FindControl<QCheckBox>(dlg, CSettingsDlg::IDC_LETTERBOX), Qt::LeftButton);
        });
        const ConversionSettings chosen = f->dlg->settings();
        QCOMPARE(chosen.letterbox, 0); // on in a first run, taken by "Ok"
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_CONVERT));
        const QString run = f->encoder.Runs().last();
        for (const char* option : {"vbitrate=1200:acodec=mp2:abitrate=112", "aspect=4/3", "format=dvd",
                                   "-ofps 30000/1001", "-vf scale=720:480,harddup ", "volume=+3db"})
            QVERIFY2(run.contains(option), qPrintable(option + QStringLiteral(" in ") + run));

        f->dlg.reset();
        QCOMPARE(SettingsFromText(ReadFile(f->tmp.file("option.ini"))), chosen);
    }
};

QTEST_MAIN(OutputSettingsTest)
#include "output_settings_test.moc"
