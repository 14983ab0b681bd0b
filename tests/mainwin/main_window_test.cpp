#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>

#include "controls/color_label.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/image_button.h"
#include "controls/link_opener.h"
#include "controls/skin.h"
#include "mainwin/about_dlg.h"
#include "mainwin/help_window.h"
#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/combo_pick.h"
#include "support/main_window_fixture.h"

namespace {

using D = CConverterDlg;
using S = CSettingsDlg;

QComboBox* Combo(const QWidget* window, int id) {
    return FindControl<QComboBox>(window, id);
}

// What the main window's three format controls show.
struct MainShown {
    QString format, tvMode, aspect;
    bool tvEnabled, aspectEnabled;
    int aspectCount;
    bool operator==(const MainShown&) const = default;
};

MainShown Shown(const QWidget* window) {
    const QComboBox* tv = Combo(window, D::IDC_TV_MODE);
    const QComboBox* aspect = Combo(window, D::IDC_ASPECT_RATIO);
    return {Combo(window, D::IDC_OUTPUT_FORMAT)->currentText(),
            tv->currentText(),
            aspect->currentText(),
            tv->isEnabled(),
            aspect->isEnabled(),
            aspect->count()};
}

} // namespace

Q_DECLARE_METATYPE(MainShown)

// The main window's commands, menus, About box, help, output folder, keyboard and format controls.
class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    QList<QUrl> opened; // what the program asked the desktop to open

    void CopyHelp() {
        std::filesystem::copy(std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "help",
                              f->tmp.path() / "help", std::filesystem::copy_options::recursive);
    }
    // Opens the settings dialog by `id`, lets `edit` work in it, then presses `button`.
    void InSettingsDialog(int id, const std::function<void(S*)>& edit, int button = S::IDOK) {
        MainWindowFixture::WithNext<S>([&] { QVERIFY(f->dlg->OnCommand(id)); },
                                       [&](S* dlg) {
                                           edit(dlg);
                                           QTest::mouseClick(FindControl<QPushButton>(dlg, button), Qt::LeftButton);
                                       });
    }

private slots:
    void initTestCase() {
        // No desktop program for web pages: only the opener below opens a link.
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qputenv(var, "/nonexistent");
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    void init() {
        f = std::make_unique<MainWindowFixture>();
        opened.clear();
    }
    void cleanup() { f.reset(); }

    // Every Add opens the picker; the Help button's menu runs the item chosen in it; an unknown id runs nothing.
    void commandsReachTheirHandlers() {
        for (int id : {int(D::IDC_ADD), int(D::IDC_ADD_SMALL), int(D::ID_LIST_ADD)})
            QVERIFY2(f->dlg->OnCommand(id), qPrintable(QString::number(id)));
        QCOMPARE(f->prompts.pickerTitles, QStringList(3, "Import video files"));
        WriteFile(f->tmp.file("version.ini"), "[General]\nHomePage=https://quor-zodi.example/\n");
        MainWindowFixture::OnNextWindow([](QWidget* menu) {
            for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) // Content, About, Home page
                QTest::keyClick(menu, key);
        });
        QVERIFY(f->dlg->OnCommand(D::IDC_HELP));
        QCOMPARE(opened, QList<QUrl>{QUrl("https://quor-zodi.example/")});
        QVERIFY(!f->dlg->OnCommand(4242));
    }

    // The window menu's About box: the version and both links from version.ini, else the bundled help pages.
    void aboutBoxFollowsVersionIni_data() {
        QTest::addColumn<QString>("versionIni");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("homePage"); // in the program folder when it starts with "help/"
        QTest::addColumn<QString>("support");
        QTest::newRow("keys given") << "[General]\nVersion=2.1\nHomePage=https://a.example/\nSupport=https://b.example/"
                                    << "2.1"
                                    << "https://a.example/"
                                    << "https://b.example/";
        QTest::newRow("no file") << ""
                                 << "1.00"
                                 << "help/overview/overview.htm"
                                 << "help/overview/reporting-problems.htm";
        QTest::newRow("empty value counts as missing") << "[general]\nhomepage=\nSUPPORT=mailto:help@b.example"
                                                       << "1.00"
                                                       << "help/overview/overview.htm"
                                                       << "mailto:help@b.example";
    }
    void aboutBoxFollowsVersionIni() {
        QFETCH(QString, versionIni);
        QFETCH(QString, version);
        QFETCH(QString, homePage);
        QFETCH(QString, support);
        for (QString* target : {&homePage, &support})
            if (target->startsWith("help/"))
                target->prepend(QString::fromStdString(f->tmp.dir()));
        const QUrl supportUrl = support.startsWith('/') ? QUrl::fromLocalFile(support) : QUrl(support);
        CopyHelp();
        if (!versionIni.isEmpty())
            WriteFile(f->tmp.file("version.ini"), versionIni.toStdString());
        f->dlg.reset(); // the version is read as the window is made
        f->dlg = std::make_unique<D>(f->settings, f->prompts);
        bool visited = false;
        MainWindowFixture::WithNext<CAboutDlg>(
            [&] { f->dlg->OnSysCommand(D::IDM_ABOUTBOX | 0x3); },
            [&](CAboutDlg* about) {
                QCOMPARE(about->VersionText(), "Quor Zodi Converter " + version);
                QVERIFY(!FindControl<CColorLabel>(about, CAboutDlg::IDC_VERSION)->IsClickable());
                auto* home = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_HOME_PAGE);
                auto* tech = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_SUPPORT);
                QCOMPARE(home->URL(), homePage);
                QCOMPARE(home->toolTip(), homePage);
                QCOMPARE(tech->URL(), support);
                for (CHyperLinkCtrl* link : {home, tech}) {
                    QVERIFY(link->property(Skin::kExcludedProperty).toBool());
                    QVERIFY(link->width() >= link->fontMetrics().horizontalAdvance(link->text())); // the whole text
                }
                QTest::mouseClick(tech, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
                visited = tech->IsVisited();
            });
        QCOMPARE(opened, QList<QUrl>{supportUrl});
        QVERIFY(visited);
        QCOMPARE(f->prompts.texts(), QStringList());
    }

    // Without the help folder beside the program Home page says so; with it, Content shows the overview.
    void helpPages() {
        QVERIFY(f->dlg->OnCommand(D::ID_HELP_HOME_PAGE));
        QVERIFY(opened.isEmpty());
        QCOMPARE(f->prompts.texts(), QStringList{"Unable to open hyperlink:\n\nThe specified file was not found."});
        CopyHelp();
        QVERIFY(f->dlg->OnCommand(D::ID_HELP_CONTENT));
        CHelpWindow* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            help = help ? help : qobject_cast<CHelpWindow*>(w);
        QVERIFY(help && help->isVisible());
        QVERIFY(help->CurrentPage().endsWith("help/overview/overview.htm"));
        QCOMPARE(help->Title(), QStringLiteral("Quor Zodi Converter Help"));
    }

    void changeFolderAppendsOneSlash_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cancelled") << ""
                                   << "/before/";
        QTest::newRow("a folder") << "/data/videos"
                                  << "/data/videos/";
        QTest::newRow("the root") << "/"
                                  << "/";
        QTest::newRow("refused") << "/data/say \"hi\""
                                 << "/before/";
    }
    void changeFolderAppendsOneSlash() {
        QFETCH(QString, picked);
        QFETCH(QString, shown);
        f->folderEdit()->setText("/before/");
        const std::string remembered = f->dlg->outputFolder();
        f->prompts.setNextFolder(picked);
        QVERIFY(f->dlg->OnCommand(D::IDC_CHANGE_FOLDER));
        QCOMPARE(f->folderEdit()->text(), shown);
        QCOMPARE(f->dlg->outputFolder(), shown == "/before/" ? remembered : shown.toStdString());
    }

    // The tool bar's buttons sit on the window's background, "Change" on its own; a click reaches the routing.
    void imageButtons() {
        for (int id : {int(D::IDC_CONVERT), int(D::IDC_HELP), int(D::IDC_REMOVE)})
            QVERIFY2(FindControl<CImageButton>(f->dlg.get(), id)->IsTransparent(), qPrintable(QString::number(id)));
        QVERIFY(!FindControl<CImageButton>(f->dlg.get(), D::IDC_CHANGE_FOLDER)->IsTransparent());
        QSignalSpy routed(f->dlg.get(), &D::commandRouted);
        QTest::mouseClick(FindControl<CImageButton>(f->dlg.get(), D::IDC_REMOVE), Qt::LeftButton);
        QCOMPARE(routed, QList<QList<QVariant>>{{int(D::IDC_REMOVE)}});
    }

    void tabFollowsTheTemplate() {
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), FORMAT_DVD); // every control enabled
        QVERIFY(QTest::qWaitForWindowActive(f->dlg.get()));
        FindControl(f->dlg.get(), D::IDC_ADD)->setFocus();
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
        QTest::newRow("folder box") << int(D::IDC_OUTPUT_FOLDER) << QStringList();
        QTest::newRow("Change") << int(D::IDC_CHANGE_FOLDER) << QStringList(2, "Select a temporary folder");
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
        QCOMPARE(f->prompts.pickerTitles, pickers);
    }

    // A format picked in the main window rebuilds its TV mode and aspect lists; a pick there changes one field.
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
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), FORMAT_VCD); // from a format that differs
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), format);
        QCOMPARE(Shown(f->dlg.get()), shown);
        ConversionSettings expected = SettingsFromText("");
        expected.outputFormat = format;
        QCOMPARE(f->dlg->settings(), expected);
        if (aspectPick < 0)
            return;
        Pick(Combo(f->dlg.get(), D::IDC_ASPECT_RATIO), aspectPick);
        (intoMpegAspect ? expected.mpegAspectRatio : expected.dvdAspectRatio) = aspectPick;
        if (shown.tvEnabled) { // the TV mode pick changes the TV mode only
            Pick(Combo(f->dlg.get(), D::IDC_TV_MODE), 1);
            expected.tvMode = 1;
        }
        QCOMPARE(f->dlg->settings(), expected);
    }

    // Both Settings buttons open the dialog on the main window's format; "Ok" brings its choices back, Cancel none.
    void settingsDialogFromTheMainWindow_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("button");
        QTest::newRow("tool bar, Ok") << int(D::IDC_SETTINGS) << int(S::IDOK);
        QTest::newRow("beside the format, Ok") << int(D::IDC_SETTINGS_BUTTON) << int(S::IDOK);
        QTest::newRow("Cancel") << int(D::IDC_SETTINGS) << int(S::IDCANCEL);
    }
    void settingsDialogFromTheMainWindow() {
        QFETCH(int, id);
        QFETCH(int, button);
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), FORMAT_MPEG2);
        const ConversionSettings before = f->dlg->settings();
        const MainShown shownBefore = Shown(f->dlg.get());
        ConversionSettings chosen;
        InSettingsDialog(
            id,
            [&](S* dlg) {
                QCOMPARE(Combo(dlg, S::IDC_OUTPUT_FORMAT)->currentText(), QStringLiteral("MPEG2 Format (*.mpg)"));
                Pick(Combo(dlg, S::IDC_OUTPUT_FORMAT), FORMAT_SVCD);
                Pick(Combo(dlg, S::IDC_TV_MODE), 1);
                Pick(Combo(dlg, S::IDC_ASPECT_RATIO), 0);
                QTest::keyClick(FindControl<QSlider>(dlg, S::IDC_VOLUME), Qt::Key_End);
                chosen = dlg->Settings();
            },
            button);
        const bool ok = button == S::IDOK;
        QCOMPARE(f->dlg->settings(), ok ? chosen : before);
        const MainShown svcd{"SVCD compatible MPEG2 Format (*.mpg)", "PAL", "4:3    (Standard TV)", true, true, 2};
        QCOMPARE(Shown(f->dlg.get()), ok ? svcd : shownBefore);
    }

    // What the dialog's "Ok" stores is what the next conversion hands the encoder and what option.ini holds
    // when the program ends.
    void dialogChoiceReachesTheEncoderAndTheFile() {
        f->AddThroughPicker({f->Source("clip.avi", 4)});
        f->folderEdit()->setText(QString::fromStdString(f->tmp.file("out/")));
        InSettingsDialog(D::IDC_SETTINGS, [&](S* dlg) {
            Pick(Combo(dlg, S::IDC_OUTPUT_FORMAT), FORMAT_DVD);
            Pick(Combo(dlg, S::IDC_TV_MODE), 0);
            Pick(Combo(dlg, S::IDC_ASPECT_RATIO), 0);
            Pick(Combo(dlg, S::IDC_AUDIO_CODEC), 1);
            Pick(Combo(dlg, S::IDC_QUALITY), 1);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(FindControl<QSlider>(dlg, S::IDC_VOLUME), Qt::Key_Right);
            QTest::mouseClick(FindControl<QCheckBox>(dlg, S::IDC_LETTERBOX), Qt::LeftButton);
        });
        const ConversionSettings chosen = f->dlg->settings();
        QCOMPARE(chosen.letterbox, 0); // on in a first run, taken by "Ok"
        QVERIFY(f->dlg->OnCommand(D::IDC_CONVERT));
        const QString run = f->encoder.Runs().last();
        for (const char* option : {"vbitrate=1200:acodec=mp2:abitrate=112", "aspect=4/3", "format=dvd",
                                   "-ofps 30000/1001", "-vf scale=720:480,harddup ", "volume=+3db"})
            QVERIFY2(run.contains(option), qPrintable(option + QStringLiteral(" in ") + run));
        f->dlg.reset();
        QCOMPARE(SettingsFromText(ReadFile(f->tmp.file("option.ini"))), chosen);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
