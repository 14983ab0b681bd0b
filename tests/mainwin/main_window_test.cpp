#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include "mainwin/about_dlg.h"
#include "mainwin/help_window.h"
#include "support/main_window_fixture.h"

// Records the addresses the program asks the desktop to open, instead of starting a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// The main window's controls, routing, menus, About box, help and output-folder picker.
class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    UrlCatcher m_urls;

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler("https", &m_urls, "open");
        QDesktopServices::setUrlHandler("http", &m_urls, "open");
    }
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void templateControlsAreThere() {
        const int ids[] = {1000, 1001, 1002, 1003, 1006, 1018, 1019, 1025,
                           1026, 1027, 1028, 1066, 1067, 1069, 1079, 1080};
        for (int id : ids)
            QVERIFY2(FindControl(f->dlg.get(), id), qPrintable(QString::number(id)));
        auto* list = f->list();
        QCOMPARE(list->headerItem()->text(0), QStringLiteral(" Number"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("  File path"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("   Duration"));
        QCOMPARE(list->columnWidth(0), 90);
        QCOMPARE(list->columnWidth(1), 360);
        QCOMPARE(list->columnWidth(2), 122);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(FindControl(f->dlg.get(), 1000)->toolTip(), QStringLiteral("Start converting"));
        QCOMPARE(FindControl(f->dlg.get(), 1003)->toolTip(), QStringLiteral("About,help,home page,tip of the day."));
        QCOMPARE(FindControl<QComboBox>(f->dlg.get(), 1066)->currentText(), QStringLiteral("AVI Format (*.avi)"));
    }

    // Each command id enters through the routing and reaches the handler that shows its effect.
    void everyCommandReachesItsHandler() {
        struct Case {
            int id;
            std::function<void()> prepare;
            std::function<bool()> handled;
        };
        QStringList pickerBefore;
        const QString a = f->Source("a.avi", 10), b = f->Source("b.avi", 10);
        f->AddThroughPicker({a, b});
        int aboutShown = 0;
        QString helpMenuFirst;
        const auto closeAbout = [&] {
            MainWindowFixture::OnNextWindow([&](QWidget* w) {
                if (qobject_cast<CAboutDlg*>(w))
                    ++aboutShown;
                w->close();
            });
        };
        const auto pickerCount = [&] { return f->prompts.pickerTitles.size(); };
        int pickers = 0;
        const QList<Case> cases = {
            {CConverterDlg::IDC_ADD, [&] { pickers = pickerCount(); }, [&] { return pickerCount() == pickers + 1; }},
            {CConverterDlg::IDC_ADD_SMALL, [&] { pickers = pickerCount(); },
             [&] { return pickerCount() == pickers + 1; }},
            {CConverterDlg::ID_LIST_ADD, [&] { pickers = pickerCount(); },
             [&] { return pickerCount() == pickers + 1; }},
            {CConverterDlg::IDC_MOVE_DOWN, [&] { f->list()->SelectRow(0); },
             [&] {
                 return f->Paths() == QStringList{b, a};
             }},
            {CConverterDlg::ID_LIST_MOVE_DOWN, [&] { f->list()->SelectRow(0); },
             [&] {
                 return f->Paths() == QStringList{a, b};
             }},
            {CConverterDlg::IDC_MOVE_UP, [&] { f->list()->SelectRow(1); },
             [&] {
                 return f->Paths() == QStringList{b, a};
             }},
            {CConverterDlg::ID_LIST_MOVE_UP, [&] { f->list()->SelectRow(1); },
             [&] {
                 return f->Paths() == QStringList{a, b};
             }},
            {CConverterDlg::IDC_REMOVE, [&] { f->list()->SelectRow(1); }, [&] { return f->Paths() == QStringList{a}; }},
            {CConverterDlg::ID_LIST_REMOVE, [&] { f->list()->SelectRow(0); }, [&] { return f->Paths().isEmpty(); }},
            {CConverterDlg::IDC_CONVERT, [] {}, [&] { return f->prompts.texts().endsWith("No file in the list"); }},
            {CConverterDlg::IDC_CONVERT_BUTTON, [&] { f->prompts.shown.clear(); },
             [&] { return f->prompts.texts() == QStringList{"No file in the list"}; }},
            {CConverterDlg::IDC_CHANGE_FOLDER, [] {},
             [&] { return f->prompts.pickerTitles.endsWith("Select a temporary folder"); }},
            {CConverterDlg::ID_HELP_ABOUT, closeAbout, [&] { return aboutShown == 1; }},
            {CConverterDlg::ID_HELP_HOME_PAGE,
             [&] { WriteFile(f->tmp.file("version.ini"), "[General]\nHomePage=https://quor-zodi.example/\n"); },
             [&] { return m_urls.opened == QList<QUrl>{QUrl("https://quor-zodi.example/")}; }},
            {CConverterDlg::IDC_HELP,
             [&] {
                 MainWindowFixture::OnNextWindow([&](QWidget* w) {
                     if (auto* menu = qobject_cast<QMenu*>(w))
                         helpMenuFirst = menu->actions().value(0)->text();
                     w->close();
                 });
             },
             [&] { return helpMenuFirst == "Content"; }},
        };
        for (const Case& c : cases) {
            c.prepare();
            QVERIFY2(f->dlg->OnCommand(c.id), qPrintable(QString::number(c.id)));
            QVERIFY2(c.handled(), qPrintable(QString::number(c.id)));
        }
        // Routed, with nothing to show yet.
        for (int id : {int(CConverterDlg::IDC_SETTINGS), int(CConverterDlg::IDC_SETTINGS_BUTTON),
                       int(CConverterDlg::ID_HELP_TIP_OF_THE_DAY), int(CConverterDlg::ID_HELP_CONTENT)})
            QVERIFY2(f->dlg->HasCommand(id), qPrintable(QString::number(id)));
        QVERIFY(!f->dlg->OnCommand(4242));
    }

    void windowMenuAboutShowsTheVersion_data() {
        QTest::addColumn<QString>("versionFile");
        QTest::addColumn<QString>("label");
        QTest::newRow("no version.ini") << ""
                                        << "Quor Zodi Converter 1.00";
        QTest::newRow("version.ini") << "[General]\nVersion=2.1\n"
                                     << "Quor Zodi Converter 2.1";
    }
    void windowMenuAboutShowsTheVersion() {
        QFETCH(QString, versionFile);
        QFETCH(QString, label);
        if (!versionFile.isEmpty()) {
            WriteFile(f->tmp.file("version.ini"), versionFile.toStdString());
            f->dlg.reset();
            f->dlg =
                std::make_unique<CConverterDlg>(f->settings, f->prompts); // the version is read as the window is made
        }
        QString shown, caption;
        MainWindowFixture::OnNextWindow([&](QWidget* w) {
            auto* about = qobject_cast<CAboutDlg*>(w);
            QVERIFY(about);
            shown = about->VersionText();
            caption = about->windowTitle();
            QTest::keyClick(about, Qt::Key_Escape);
        });
        f->dlg->OnSysCommand(CConverterDlg::IDM_ABOUTBOX | 0x3);
        QCOMPARE(shown, label);
        QCOMPARE(caption, QStringLiteral("About Quor Zodi Converter"));
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
    }
    void changeFolderAppendsOneSlash() {
        QFETCH(QString, picked);
        QFETCH(QString, shown);
        auto* edit = FindControl<QLineEdit>(f->dlg.get(), CConverterDlg::IDC_OUTPUT_FOLDER);
        edit->setText("/before/");
        const std::string remembered = f->dlg->outputFolder();
        if (!picked.isEmpty())
            f->prompts.setNextFolder(picked);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::IDC_CHANGE_FOLDER));
        QCOMPARE(edit->text(), shown);
        QCOMPARE(QString::fromStdString(f->dlg->outputFolder()),
                 picked.isEmpty() ? QString::fromStdString(remembered) : shown);
    }

    void helpContentOpensTheOverview() {
        const std::filesystem::path helpSource = std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "help";
        std::filesystem::copy(helpSource, f->tmp.path() / "help", std::filesystem::copy_options::recursive);
        QVERIFY(f->dlg->OnCommand(CConverterDlg::ID_HELP_CONTENT));
        auto* help = f->dlg->findChild<CHelpWindow*>();
        if (!help) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* h = qobject_cast<CHelpWindow*>(w))
                    help = h;
        }
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QVERIFY(help->CurrentPage().endsWith("help/overview/overview.htm"));
        QCOMPARE(help->Title(), QStringLiteral("Quor Zodi Converter Help"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
