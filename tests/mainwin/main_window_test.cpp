#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSlider>

#include "controls/drop_down_list.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/image_button.h"
#include "controls/skin.h"
#include "mainwin/about_dlg.h"
#include "mainwin/help_window.h"
#include "mainwin/tip_of_day_dlg.h"
#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/combo_pick.h"
#include "support/main_window_fixture.h"
#include "support/widget_events.h"

namespace {

using D = CConverterDlg;
using S = CSettingsDlg;

QComboBox* Combo(const QWidget* window, int id) {
    return FindControl<QComboBox>(window, id);
}

// What the main window's format controls show: "format | TV mode | aspect of N aspects", a list that is off in
// brackets.
QString Shown(const QWidget* window) {
    const auto text = [&](int id) {
        const QComboBox* c = Combo(window, id);
        return c->isEnabled() ? c->currentText() : "(" + c->currentText() + ")";
    };
    return QStringLiteral("%1 | %2 | %3 of %4")
        .arg(text(D::IDC_OUTPUT_FORMAT), text(D::IDC_TV_MODE), text(D::IDC_ASPECT_RATIO))
        .arg(Combo(window, D::IDC_ASPECT_RATIO)->count());
}

// Every text of `window` that does not show whole, as "text (class)": a label, link, check box or button narrower
// than its text, a list entry cut without its whole text in the list's tool tip, or a list's columns wider than it.
QStringList CutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const QString text = label ? label->text() : button ? button->text() : QString();
        bool whole = true;
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            const int current = list->currentIndex();
            QStyleOptionComboBox option;
            option.initFrom(list);
            const int room =
                list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list).width();
            for (int i = 0; i < list->count(); ++i) {
                list->setCurrentIndex(i);
                auto* ours = qobject_cast<CDropDownList*>(list);
                const QString shown = ours ? ours->ShownText() : list->currentText();
                if (list->fontMetrics().horizontalAdvance(shown) > room ||
                    (shown != list->currentText() && list->toolTip() != list->currentText()))
                    cut << list->currentText() + " (list)";
            }
            list->setCurrentIndex(current);
        } else if (auto* image = qobject_cast<CImageButton*>(w); image && image->ImageSize().isValid()) {
            whole = image->fontMetrics().horizontalAdvance(text) <= image->width(); // the caption under its image
        } else if ((label && !label->wordWrap()) || button) {
            whole = w->sizeHint().width() <= w->width();
        }
        if (auto* tree = qobject_cast<QTreeView*>(w); tree && tree->header()->length() > tree->viewport()->width())
            cut << "columns (" + QString(w->metaObject()->className()) + ")"; // one would show only after scrolling
        if (!whole && w->isVisibleTo(window))
            cut << text + " (" + w->metaObject()->className() + ")";
    }
    return cut;
}

} // namespace

// The main window's commands, menus, About box, help, output folder, keyboard and format controls.
class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    void CopyHelp() {
        std::filesystem::copy(std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "help",
                              f->tmp.path() / "help", std::filesystem::copy_options::recursive);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    // Every Add opens the picker, the small one clicked; the Help button's menu runs the item chosen in it, and
    // Content shows the overview; an unknown id runs nothing.
    void commandsReachTheirHandlers() {
        QVERIFY(f->dlg->OnCommand(D::IDC_ADD));
        QTest::mouseClick(FindControl<CImageButton>(f->dlg.get(), D::IDC_ADD_SMALL), Qt::LeftButton);
        QVERIFY(f->dlg->OnCommand(D::ID_LIST_ADD));
        QCOMPARE(f->prompts.pickerTitles, QStringList(3, "Import video files"));
        CopyHelp();
        MainWindowFixture::OnNextWindow([](QWidget* menu) {
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QVERIFY(f->dlg->OnCommand(D::IDC_HELP));
        CHelpWindow* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            help = help ? help : qobject_cast<CHelpWindow*>(w);
        QVERIFY(help && help->isVisible());
        QVERIFY(help->CurrentPage().endsWith("help/overview/overview.htm"));
        QCOMPARE(help->Title(), QStringLiteral("Quor Zodi Converter Help"));
        QVERIFY(!f->dlg->OnCommand(4242));
    }

    // With no key in version.ini and no help folder beside the program, Home page says the page is missing.
    void homePageFailureIsReported() {
        QVERIFY(f->dlg->OnCommand(D::ID_HELP_HOME_PAGE));
        QVERIFY(f->opened.isEmpty());
        QCOMPARE(f->prompts.texts(), QStringList{"Unable to open hyperlink:\n\nThe specified file was not found."});
    }

    // The window menu's About box: the version and both links from version.ini, else the bundled help pages.
    void aboutBoxFollowsVersionIni_data() {
        for (const char* column : {"versionIni", "version", "homePage", "support"}) // help/: the program's own
            QTest::addColumn<QString>(column);
        const char* overview = "help/overview/overview.htm";
        for (auto [name, ini, version, home, support] :
             {std::tuple{"keys given",
                         "[General]\nVersion=2.1\nHomePage=https://a.example/\nSupport=https://b.example/", "2.1",
                         "https://a.example/", "https://b.example/"},
              {"no file", "", "1.00", overview, "help/overview/reporting-problems.htm"},
              {"empty value counts as missing", "[general]\nhomepage=\nSUPPORT=mailto:help@b.example", "1.00", overview,
               "mailto:help@b.example"}})
            QTest::newRow(name) << QString(ini) << QString(version) << QString(home) << QString(support);
    }
    void aboutBoxFollowsVersionIni() {
        QFETCH(QString, versionIni);
        QFETCH(QString, version);
        QFETCH(QString, homePage);
        QFETCH(QString, support);
        for (QString* target : {&homePage, &support})
            if (target->startsWith("help/"))
                target->prepend(QString::fromStdString(f->tmp.dir()));
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
                auto* home = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_HOME_PAGE);
                auto* tech = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_SUPPORT);
                QCOMPARE(QStringList({home->URL(), home->toolTip(), tech->URL()}),
                         QStringList({homePage, homePage, support}));
                for (CHyperLinkCtrl* link : {home, tech}) {
                    QVERIFY(link->property(Skin::kExcludedProperty).toBool());
                    QVERIFY(link->width() >= link->fontMetrics().horizontalAdvance(link->text())); // the whole text
                }
                QTest::mouseClick(tech, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
                visited = tech->IsVisited();
            });
        QCOMPARE(f->opened, QList<QUrl>{support.startsWith('/') ? QUrl::fromLocalFile(support) : QUrl(support)});
        QVERIFY(visited);
        QCOMPARE(f->prompts.texts(), QStringList());
    }

    // Under the program's skin, in each format: every list shows its arrow, no text is cut, and Enter presses
    // the push button that has the focus.
    void windowsShowEveryTextWhole() {
        WriteFile(f->tmp.file("tips.txt"), "A tip\nAnother tip\n");
        const auto frame = [&](int id) { return Bounds(Render(FindControl(f->dlg.get(), id)), QColor(0xc3cbd6)); };
        QVERIFY(!frame(D::IDC_SETTINGS_BUTTON).isEmpty());
        QCOMPARE(frame(D::IDC_CHANGE_FOLDER), frame(D::IDC_SETTINGS_BUTTON)); // framed like its neighbours
        const auto enterPresses = [](QDialog* dlg, int id) {
            auto* button = FindControl<QPushButton>(dlg, id);
            QSignalSpy pressed(button, &QPushButton::clicked);
            dlg->show();
            QVERIFY(QTest::qWaitForWindowActive(dlg));
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QVERIFY2(pressed.count() == 1, qPrintable(button->text()));
        };
        for (int format = 0; format < kFormatCount; ++format) {
            QComboBox* list = Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT);
            Pick(list, format);
            const QRect arrow = Bounds(Render(list), QColor(0x4a5568));
            QVERIFY(!arrow.isEmpty() && arrow.left() > list->width() - 18);
            QCOMPARE(CutTexts(f->dlg.get()), QStringList());
            ConversionSettings settings;
            settings.outputFormat = format;
            S dlg(settings);
            dlg.show();
            QCOMPARE(CutTexts(&dlg), QStringList());
            if (format == FORMAT_DVD)
                for (int id : {S::IDCANCEL, S::IDOK})
                    enterPresses(&dlg, id);
        }
        CTipOfDayDlg tip(f->prompts);
        tip.show();
        QCOMPARE(CutTexts(&tip), QStringList());
        enterPresses(&tip, CTipOfDayDlg::IDC_NEXTTIP);
        QCOMPARE(tip.TipText(), QStringLiteral("Another tip\n"));
        QVERIFY(tip.isVisible());
        CAboutDlg about("1.00", {"https://quor-zodi.example/", "https://quor-zodi.example/support/"}, f->prompts);
        about.show();
        QCOMPARE(CutTexts(&about), QStringList());
    }

    // The picked folder is shown and kept with one '/' at its end; a cancelled pick or a refused folder changes
    // nothing.
    void changeFolder_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("shown");
        for (auto [name, picked, shown] : {std::tuple{"cancelled", "", "/before/"},
                                           {"a folder", "/data/videos", "/data/videos/"},
                                           {"the root", "/", "/"},
                                           {"refused", "/data/say \"hi\"", "/before/"}})
            QTest::newRow(name) << QString(picked) << QString(shown);
    }
    void changeFolder() {
        QFETCH(QString, picked);
        QFETCH(QString, shown);
        f->folderEdit()->setText("/before/");
        const std::string remembered = f->dlg->outputFolder();
        f->prompts.setNextFolder(picked);
        QVERIFY(f->dlg->OnCommand(D::IDC_CHANGE_FOLDER));
        QCOMPARE(f->folderEdit()->text(), shown);
        QCOMPARE(f->dlg->outputFolder(), shown == "/before/" ? remembered : shown.toStdString());
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

    // A format picked in the main window rebuilds its TV mode and aspect lists; a pick in them changes its own
    // field only.
    void formatPickRebuildsTheQuickControls_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("aspectPick");
        QTest::addColumn<QString>("picked"); // as option.ini states it
        QTest::newRow("MPEG2") << int(FORMAT_MPEG2) << "MPEG2 Format (*.mpg) | (NTSC) | 16:9   (Wide screen TV) of 4"
                               << 3 << "MPEG aspect ratio=3";
        QTest::newRow("DVD") << int(FORMAT_DVD)
                             << "DVD compatible MPEG2 Format (*.vob) | NTSC | 16:9   (Wide screen TV) of 2" << 0
                             << "DVD aspect ratio=0\nTV mode=1";
        QTest::newRow("AVI") << int(FORMAT_AVI) << "AVI Format (*.avi) | (NTSC) | (16:9   (Wide screen TV)) of 2" << -1
                             << "";
        QTest::newRow("MP4") << int(FORMAT_MP4) << "MP4 Format (*.mp4) | (NTSC) | (16:9   (Wide screen TV)) of 2" << -1
                             << "";
    }
    void formatPickRebuildsTheQuickControls() {
        QFETCH(int, format);
        QFETCH(QString, shown);
        QFETCH(int, aspectPick);
        QFETCH(QString, picked);
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), FORMAT_VCD); // from a format that differs
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), format);
        QCOMPARE(Shown(f->dlg.get()), shown);
        if (aspectPick >= 0)
            Pick(Combo(f->dlg.get(), D::IDC_ASPECT_RATIO), aspectPick);
        if (Combo(f->dlg.get(), D::IDC_TV_MODE)->isEnabled())
            Pick(Combo(f->dlg.get(), D::IDC_TV_MODE), 1);
        QCOMPARE(f->dlg->settings(), SettingsFromText("[Destinate]\nOutput format=" + std::to_string(format) + "\n" +
                                                      picked.toStdString()));
    }

    // Both Settings buttons open the dialog on the main window's format. What "Ok" takes is shown, handed to the
    // encoder by the next conversion and kept in option.ini when the program ends; Cancel takes nothing.
    void settingsDialog_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("button");
        QTest::newRow("tool bar, Ok") << int(D::IDC_SETTINGS) << int(S::IDOK);
        QTest::newRow("beside the format, Ok") << int(D::IDC_SETTINGS_BUTTON) << int(S::IDOK);
        QTest::newRow("Cancel") << int(D::IDC_SETTINGS) << int(S::IDCANCEL);
    }
    void settingsDialog() {
        QFETCH(int, id);
        QFETCH(int, button);
        f->AddThroughPicker({f->Source("clip.avi", 4)});
        f->folderEdit()->setText(QString::fromStdString(f->tmp.file("out/")));
        Pick(Combo(f->dlg.get(), D::IDC_OUTPUT_FORMAT), FORMAT_MPEG2);
        const ConversionSettings before = f->dlg->settings();
        const QString shownBefore = Shown(f->dlg.get());
        ConversionSettings chosen;
        MainWindowFixture::WithNext<S>(
            [&] { QVERIFY(f->dlg->OnCommand(id)); },
            [&](S* dlg) {
                QCOMPARE(Combo(dlg, S::IDC_OUTPUT_FORMAT)->currentText(), QStringLiteral("MPEG2 Format (*.mpg)"));
                for (auto [list, position] : {std::pair{S::IDC_OUTPUT_FORMAT, int(FORMAT_DVD)},
                                              {S::IDC_TV_MODE, 1},
                                              {S::IDC_ASPECT_RATIO, 0},
                                              {S::IDC_AUDIO_CODEC, 1},
                                              {S::IDC_QUALITY, 1}})
                    Pick(Combo(dlg, list), position);
                for (int i = 0; i < 3; ++i)
                    QTest::keyClick(FindControl<QSlider>(dlg, S::IDC_VOLUME), Qt::Key_Right);
                QTest::mouseClick(FindControl<QCheckBox>(dlg, S::IDC_LETTERBOX), Qt::LeftButton);
                chosen = dlg->Settings();
                QTest::mouseClick(FindControl<QPushButton>(dlg, button), Qt::LeftButton);
            });
        if (button == S::IDCANCEL) {
            QCOMPARE(f->dlg->settings(), before);
            QCOMPARE(Shown(f->dlg.get()), shownBefore);
            return;
        }
        chosen.letterbox = 0; // on in a first run; the box is read at "Ok"
        QCOMPARE(f->dlg->settings(), chosen);
        QCOMPARE(Shown(f->dlg.get()), "DVD compatible MPEG2 Format (*.vob) | PAL | 4:3    (Standard TV) of 2");
        QVERIFY(f->dlg->OnCommand(D::IDC_CONVERT));
        const QString run = f->encoder.Runs().last();
        for (const char* option : {"vbitrate=1200:acodec=mp2:abitrate=112", "aspect=4/3", "format=dvd",
                                   "-ofps 25.000000 ", "-vf scale=720:576,harddup ", "volume=+3db"})
            QVERIFY2(run.contains(option), qPrintable(option + QStringLiteral(" in ") + run));
        f->dlg.reset();
        QCOMPARE(SettingsFromText(ReadFile(f->tmp.file("option.ini"))), chosen);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
