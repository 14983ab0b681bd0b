#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "controls/dialog_template.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/tip_of_day_dlg.h"
#include "support/app_fixture.h"
#include "support/tip_profile.h"

using T = CTipOfDayDlg;

// The dialog as the user meets it: the program lives in a temporary folder with its tips.txt, and the
// application profile is a real file.
class TipOfDayDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    QString Profile(const char* key) const { return QString::fromStdString(TipProfile(f->ProfilePath(), key)); }
    static QPushButton* Button(QWidget* dlg, int id) { return FindControl<QPushButton>(dlg, id); }
    static QCheckBox* StartupBox(QWidget* dlg) { return FindControl<QCheckBox>(dlg, T::IDC_STARTUP); }

private slots:
    void init() {
        f = std::make_unique<AppFixture>();
        WriteFile(f->program.file("tips.txt"), "; tips\nFirst tip\n\nSecond & last\n");
    }
    void cleanup() { f.reset(); }

    // A first run shows the first tip with the box ticked. Unticked and closed is seen on a real start below.
    void closingStoresTheBoxEscapeStoresNothing_data() {
        QTest::addColumn<bool>("untickAndEscape");
        QTest::addColumn<QString>("startUp");
        QTest::newRow("ticked, Close") << false << "0";
        QTest::newRow("unticked, Escape") << true << "<none>";
    }
    void closingStoresTheBoxEscapeStoresNothing() {
        QFETCH(bool, untickAndEscape);
        QFETCH(QString, startUp);
        {
            T dlg(f->prompts);
            dlg.show();
            QVERIFY(dlg.ShowAtStartup() && StartupBox(&dlg)->isChecked() && Button(&dlg, T::IDOK)->isDefault());
            QCOMPARE(dlg.TipText(), QStringLiteral("First tip\n"));
            if (untickAndEscape) {
                QTest::mouseClick(StartupBox(&dlg), Qt::LeftButton);
                QTest::keyClick(&dlg, Qt::Key_Escape);
            } else {
                QTest::mouseClick(Button(&dlg, T::IDOK), Qt::LeftButton);
            }
            QVERIFY(!dlg.isVisible());
        }
        QCOMPARE(Profile("StartUp"), startUp);
        QCOMPARE(Profile("FilePos"), QStringLiteral("17")); // after the first tip
    }

    // A file with only comments is the reader's case; here the missing file, whose place is kept.
    void missingFileSaysSoOnThePanel() {
        std::filesystem::remove(f->program.file("tips.txt"));
        QVERIFY(SetTipProfile(f->ProfilePath(), "FilePos", "9"));
        {
            T dlg(f->prompts);
            QCOMPARE(dlg.TipText(), QStringLiteral("Tips file does not exist in the prescribed directory"));
            QVERIFY(!Button(&dlg, T::IDC_NEXTTIP)->isEnabled());
        }
        QVERIFY(f->prompts.shown.isEmpty());
        QCOMPARE(Profile("FilePos"), QStringLiteral("9"));
    }

    void unreachablePositionIsToldOnceAndNextTipStaysEnabled() {
        { T first(f->prompts); } // stores the file's stamp
        QVERIFY(SetTipProfile(f->ProfilePath(), "FilePos", "-1"));
        T dlg(f->prompts);
        QCOMPARE(f->prompts.texts(), QStringList{"Trouble reading the tips file"});
        QCOMPARE(dlg.TipText(), QString());
        Button(&dlg, T::IDC_NEXTTIP)->click();
        QCOMPARE(dlg.TipText(), QStringLiteral("First tip\n"));
        QCOMPARE(f->prompts.shown.size(), 1);
    }

    // Two starts of the real program: the tip comes before the main window until it is switched off, the place
    // moves on at every start, and the Help menu shows the dialog regardless.
    void startUpShowsTheTipFirstUntilSwitchedOff() {
        QStringList order;
        QString tipShown;
        f->Run([&](QWidget* w) {
            order << w->metaObject()->className();
            if (auto* tip = qobject_cast<T*>(w)) {
                tipShown = tip->TipText();
                QTest::mouseClick(StartupBox(tip), Qt::LeftButton);
                QTest::mouseClick(Button(tip, T::IDOK), Qt::LeftButton);
            } else {
                QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        QCOMPARE(order, (QStringList{"CTipOfDayDlg", "CConverterDlg"}));
        QCOMPARE(tipShown, QStringLiteral("First tip\n"));
        QCOMPARE(Profile("StartUp"), QStringLiteral("1"));

        order.clear();
        f->Run([&](QWidget* w) {
            order << w->metaObject()->className();
            if (auto* tip = qobject_cast<T*>(w)) {
                tipShown = tip->TipText();
                QVERIFY(!StartupBox(tip)->isChecked());
                QTest::keyClick(tip, Qt::Key_Escape);
            } else if (order.size() == 1) {
                QTimer::singleShot(
                    0, w, [w] { static_cast<CConverterDlg*>(w)->OnCommand(CConverterDlg::ID_HELP_TIP_OF_THE_DAY); });
            } else {
                QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        // Not shown at start-up, yet the start moved on past "Second & last": the Help menu wraps round.
        QCOMPARE(order, (QStringList{"CConverterDlg", "CTipOfDayDlg", "CConverterDlg"}));
        QCOMPARE(tipShown, QStringLiteral("First tip\n"));
        QCOMPARE(Profile("StartUp"), QStringLiteral("1"));
        QCOMPARE(Profile("FilePos"), QStringLiteral("17"));
        QVERIFY(f->prompts.shown.isEmpty());
    }
};

QTEST_MAIN(TipOfDayDlgTest)
#include "tip_of_day_dlg_test.moc"
