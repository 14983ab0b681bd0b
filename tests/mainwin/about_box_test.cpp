#include <QtTest>

#include "controls/color_label.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/image_button.h"
#include "controls/link_opener.h"
#include "controls/skin.h"
#include "mainwin/about_dlg.h"
#include "support/main_window_fixture.h"

// The About box's links and version label, the Help menu's Home page, and the main window's image buttons.
class AboutBoxTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    QList<QUrl> opened;

    // Runs the About box from the Help menu and hands it to `look` before closing it.
    void WithAboutBox(const std::function<void(CAboutDlg*)>& look) {
        bool seen = false;
        MainWindowFixture::OnNextWindow([&](QWidget* w) {
            auto* about = qobject_cast<CAboutDlg*>(w);
            if (about) {
                seen = true;
                look(about);
            }
            w->close();
        });
        QVERIFY(f->dlg->OnCommand(CConverterDlg::ID_HELP_ABOUT));
        QVERIFY(seen);
    }

private slots:
    void init() {
        f = std::make_unique<MainWindowFixture>();
        // No desktop program for web pages: only the opener below can open a link.
        for (const char* var : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qputenv(var, QByteArray::fromStdString(f->tmp.file("no-desktop")));
        opened.clear();
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    void cleanup() {
        SetLinkOpenerForTest({});
        f.reset();
    }

    void linkTargetsComeFromVersionIni_data() {
        QTest::addColumn<QString>("versionIni");
        QTest::addColumn<QString>("homePage"); // relative to the program folder when it starts with "help/"
        QTest::addColumn<QString>("support");
        QTest::newRow("keys given")
            << "[General]\nVersion=1.00\nHomePage=https://a.example/\nSupport=https://b.example/"
            << "https://a.example/"
            << "https://b.example/";
        QTest::newRow("no keys: bundled help") << "[General]\nVersion=1.00\n"
                                               << "help/overview/overview.htm"
                                               << "help/overview/reporting-problems.htm";
        QTest::newRow("empty value counts as missing") << "[general]\nhomepage=\nSUPPORT=mailto:help@b.example"
                                                       << "help/overview/overview.htm"
                                                       << "mailto:help@b.example";
    }
    void linkTargetsComeFromVersionIni() {
        QFETCH(QString, versionIni);
        QFETCH(QString, homePage);
        QFETCH(QString, support);
        const QString dir = QString::fromStdString(f->tmp.dir());
        for (QString* target : {&homePage, &support})
            if (target->startsWith("help/"))
                target->prepend(dir);
        WriteFile(f->tmp.file("version.ini"), versionIni.toStdString());
        WithAboutBox([&](CAboutDlg* about) {
            auto* home = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_HOME_PAGE);
            auto* tech = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_SUPPORT);
            QVERIFY(home && tech);
            QCOMPARE(home->URL(), homePage);
            QCOMPARE(home->toolTip(), homePage);
            QCOMPARE(tech->URL(), support);
            for (CHyperLinkCtrl* link : {home, tech}) {
                QVERIFY(link->property(Skin::kExcludedProperty).toBool());
                // Sized to the whole text.
                QVERIFY(link->width() >= link->fontMetrics().horizontalAdvance(link->text()));
            }
            QVERIFY(!FindControl<CColorLabel>(about, CAboutDlg::IDC_VERSION)->IsClickable());
        });
    }

    void supportOpensTheBundledPage() {
        const std::filesystem::path help = std::filesystem::path(qgetenv("QZC_BIN_DIR").toStdString()) / "help";
        std::filesystem::copy(help, f->tmp.path() / "help", std::filesystem::copy_options::recursive);
        const QString page = QString::fromStdString(f->tmp.file("help/overview/reporting-problems.htm"));
        bool visited = false;
        WithAboutBox([&](CAboutDlg* about) {
            auto* tech = FindControl<CHyperLinkCtrl>(about, CAboutDlg::IDC_SUPPORT);
            QTest::mouseClick(tech, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            visited = tech->IsVisited();
        });
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(page)});
        QVERIFY(visited);
        QVERIFY(f->prompts.texts().isEmpty());
    }

    void homePageFailureIsReported() {
        // No version.ini key and no help folder beside the program: the bundled page is not there.
        QVERIFY(f->dlg->OnCommand(CConverterDlg::ID_HELP_HOME_PAGE));
        QVERIFY(opened.isEmpty());
        QCOMPARE(f->prompts.texts(), QStringList{"Unable to open hyperlink:\n\nThe specified file was not found."});
    }

    // The tool bar's buttons sit on the window's background; a click on one reaches the command routing.
    void mainWindowButtons() {
        const std::pair<int, QSize> cases[] = {{1000, {48, 48}}, {1003, {32, 32}}, {1026, {16, 16}}};
        for (const auto& [id, image] : cases) {
            auto* b = FindControl<CImageButton>(f->dlg.get(), id);
            QVERIFY2(b, qPrintable(QString::number(id)));
            QCOMPARE(b->ImageSize(), image);
            QVERIFY(b->IsTransparent());
        }
        QVERIFY(!FindControl<CImageButton>(f->dlg.get(), CConverterDlg::IDC_CHANGE_FOLDER)->IsTransparent());
        QSignalSpy routed(f->dlg.get(), &CConverterDlg::commandRouted);
        QTest::mouseClick(FindControl<CImageButton>(f->dlg.get(), CConverterDlg::IDC_REMOVE), Qt::LeftButton);
        QCOMPARE(routed.count(), 1);
        QCOMPARE(routed.first().first().toInt(), int(CConverterDlg::IDC_REMOVE));
    }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
