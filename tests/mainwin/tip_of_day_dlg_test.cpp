#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/converter_app.h"
#include "controls/dialog_template.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/tip_of_day_dlg.h"
#include "settings/ini_file.h"
#include "settings/program_dir.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

// The dialog as the user meets it: the program lives in a temporary folder with its tips.txt, and the
// application profile is a real file under a temporary XDG_CONFIG_HOME.
class TipOfDayDlgTest : public QObject {
    Q_OBJECT

    static constexpr const char* kTips = "; tips\nFirst tip\n\nSecond & last\n";

    std::string profilePath() const { return m_dir.file("config/quor-zodi-converter.ini"); }
    QString profile(const char* key) const {
        return QString::fromStdString(IniFile::Load(profilePath()).Get("Tip", key, "<none>"));
    }
    void setProfile(const char* key, const std::string& value) {
        IniFile ini = IniFile::Load(profilePath());
        ini.Set("Tip", key, value);
        fs::create_directories(m_dir.path() / "config");
        QVERIFY(ini.Save(profilePath(), nullptr));
    }
    static QPushButton* button(QWidget* dlg, int id) { return FindControl<QPushButton>(dlg, id); }
    static QCheckBox* startupBox(QWidget* dlg) { return FindControl<QCheckBox>(dlg, CTipOfDayDlg::IDC_STARTUP); }

    // Runs the program once. `onModal` sees every modal window in the order they open and closes it.
    void runProgram(ScriptedPrompts& prompts, std::function<void(QWidget*)> onModal) {
        QWidget* last = nullptr;
        QTimer watch;
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != last && modal->isVisible()) {
                last = modal;
                onModal(modal);
            }
        });
        watch.start();
        CConverterApp app(&prompts);
        app.InitInstance();
        app.ExitInstance();
    }

private slots:
    void init() {
        SetProgramPath(m_dir.file("quor-zodi-converter"));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_dir.path() / "config").string()));
        qputenv("HOME", QByteArray::fromStdString(m_dir.path().string()));
        fs::remove_all(m_dir.path() / "config");
        fs::remove(m_dir.file("option.ini"));
        WriteFile(m_dir.file("tips.txt"), kTips);
    }

    void firstRunShowsTheBoxTickedAndTheFirstTip() {
        ScriptedPrompts prompts;
        CTipOfDayDlg dlg(prompts);
        QVERIFY(dlg.ShowAtStartup());
        QVERIFY(startupBox(&dlg)->isChecked());
        QCOMPARE(dlg.TipText(), QStringLiteral("First tip\n"));
        QVERIFY(button(&dlg, CTipOfDayDlg::IDC_NEXTTIP)->isEnabled());
        QVERIFY(button(&dlg, CTipOfDayDlg::IDOK)->isDefault());

        button(&dlg, CTipOfDayDlg::IDC_NEXTTIP)->click();
        QCOMPARE(dlg.TipText(), QStringLiteral("Second & last\n"));
        QVERIFY(prompts.shown.isEmpty());
    }

    // Unticked and closed is seen on a real start below.
    void closingStoresTheBoxEscapeStoresNothing_data() {
        QTest::addColumn<bool>("untick");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<QString>("startUp");
        QTest::newRow("ticked, Close") << false << false << "0";
        QTest::newRow("unticked, Escape") << true << true << "<none>";
    }
    void closingStoresTheBoxEscapeStoresNothing() {
        QFETCH(bool, untick);
        QFETCH(bool, escape);
        QFETCH(QString, startUp);
        ScriptedPrompts prompts;
        {
            CTipOfDayDlg dlg(prompts);
            dlg.show();
            if (untick)
                QTest::mouseClick(startupBox(&dlg), Qt::LeftButton);
            if (escape)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else
                QTest::mouseClick(button(&dlg, CTipOfDayDlg::IDOK), Qt::LeftButton);
            QVERIFY(!dlg.isVisible());
        }
        QCOMPARE(profile("StartUp"), startUp);
        QCOMPARE(profile("FilePos"), QStringLiteral("17")); // after the first tip
    }

    // A file with only comments is the reader's case; here the missing file, whose place is kept.
    void missingFileSaysSoOnThePanel() {
        fs::remove(m_dir.file("tips.txt"));
        setProfile("FilePos", "9");
        ScriptedPrompts prompts;
        {
            CTipOfDayDlg dlg(prompts);
            QCOMPARE(dlg.TipText(), QStringLiteral("Tips file does not exist in the prescribed directory"));
            QVERIFY(!button(&dlg, CTipOfDayDlg::IDC_NEXTTIP)->isEnabled());
        }
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(profile("FilePos"), QStringLiteral("9"));
    }

    void unreachablePositionIsToldOnceAndNextTipStaysEnabled() {
        ScriptedPrompts firstPrompts;
        { CTipOfDayDlg first(firstPrompts); } // stores the file's stamp
        setProfile("FilePos", "-1");
        ScriptedPrompts prompts;
        CTipOfDayDlg dlg(prompts);
        QCOMPARE(prompts.texts(), QStringList{"Trouble reading the tips file"});
        QCOMPARE(prompts.shown[0].caption, QString());
        QCOMPARE(dlg.TipText(), QString());
        button(&dlg, CTipOfDayDlg::IDC_NEXTTIP)->click();
        QCOMPARE(dlg.TipText(), QStringLiteral("First tip\n"));
        QCOMPARE(prompts.shown.size(), 1);
    }

    // Three starts of the real program: the tip comes before the main window until it is switched off,
    // the place moves on at every start, and the Help menu shows the dialog regardless.
    void startUpShowsTheTipFirstUntilSwitchedOff() {
        ScriptedPrompts prompts;
        QStringList order;
        QString tipShown;
        runProgram(prompts, [&](QWidget* w) {
            order << w->metaObject()->className();
            if (auto* tip = qobject_cast<CTipOfDayDlg*>(w)) {
                tipShown = tip->TipText();
                QTest::mouseClick(startupBox(tip), Qt::LeftButton);
                QTest::mouseClick(button(tip, CTipOfDayDlg::IDOK), Qt::LeftButton);
            } else {
                QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        QCOMPARE(order, (QStringList{"CTipOfDayDlg", "CConverterDlg"}));
        QCOMPARE(tipShown, QStringLiteral("First tip\n"));
        QCOMPARE(profile("StartUp"), QStringLiteral("1"));
        QCOMPARE(profile("FilePos"), QStringLiteral("17"));

        order.clear();
        tipShown.clear();
        runProgram(prompts, [&](QWidget* w) {
            order << w->metaObject()->className();
            if (auto* dlg = qobject_cast<CConverterDlg*>(w)) {
                if (order.size() == 1) {
                    QTimer::singleShot(0, dlg, [dlg] { dlg->OnCommand(CConverterDlg::ID_HELP_TIP_OF_THE_DAY); });
                    return;
                }
                QTest::keyClick(w, Qt::Key_Escape);
            } else if (auto* tip = qobject_cast<CTipOfDayDlg*>(w)) {
                tipShown = tip->TipText();
                QVERIFY(!startupBox(tip)->isChecked());
                QTest::keyClick(tip, Qt::Key_Escape);
            }
        });
        // Not shown at start-up, yet the start moved on past "Second & last": the Help menu wraps round.
        QCOMPARE(order, (QStringList{"CConverterDlg", "CTipOfDayDlg", "CConverterDlg"}));
        QCOMPARE(tipShown, QStringLiteral("First tip\n"));
        QCOMPARE(profile("StartUp"), QStringLiteral("1"));
        QCOMPARE(profile("FilePos"), QStringLiteral("17"));
        QVERIFY(prompts.shown.isEmpty());
    }

private:
    TempDir m_dir;
};

QTEST_MAIN(TipOfDayDlgTest)
#include "tip_of_day_dlg_test.moc"
