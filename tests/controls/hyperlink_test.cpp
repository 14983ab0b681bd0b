#include <filesystem>

#include <QUrl>
#include <QtTest>

#include "controls/color_label.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/link_opener.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "support/widget_events.h"

namespace {
const char kUrl[] = "https://quor-zodi.example/support/";

// A desktop of our own: XDG config and data folders in a temporary folder, optionally with a desktop entry
// registered as default for text/html whose command writes its arguments to a file, one a line.
struct ScriptedDesktop {
    ScriptedDesktop() {
        for (const auto& [variable, dir] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                            {"XDG_CONFIG_DIRS", "etc"},
                                            {"XDG_DATA_HOME", "data"},
                                            {"XDG_DATA_DIRS", "share"}}) {
            std::filesystem::create_directories(tmp.path() / dir / "applications");
            qputenv(variable, QByteArray::fromStdString(tmp.file(dir)));
        }
        const std::string args = tmp.file("args");
        WriteFile(tmp.file("record"),
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args + ".tmp' && mv '" + args + ".tmp' '" + args + "'\n");
        std::filesystem::permissions(tmp.file("record"), std::filesystem::perms::owner_all);
    }
    // `exec` with "RECORD" standing for the recording script.
    void RegisterHtmlProgram(QString exec) {
        exec.replace("RECORD", QString::fromStdString(tmp.file("record")));
        WriteFile(tmp.file("data/applications/browser.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + exec.toStdString() + "\n");
        WriteFile(tmp.file("config/mimeapps.list"),
                  "[Added Associations]\ntext/html=other.desktop;\n"
                  "[Default Applications]\ntext/html=missing.desktop;browser.desktop;\n");
    }
    TempDir tmp;
};
} // namespace

class HyperlinkTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedDesktop> desktop;
    ScriptedPrompts prompts;
    QList<QUrl> opened;
    bool openerSucceeds = false;

private slots:
    void initTestCase() {
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return openerSucceeds;
        });
    }
    void init() {
        desktop = std::make_unique<ScriptedDesktop>();
        prompts = ScriptedPrompts();
        opened.clear();
    }

    void clickOpensOrFallsBack_data() {
        QTest::addColumn<QString>("target"); // empty: none set, the link's text is its target
        QTest::addColumn<QString>("exec");   // empty: no text/html program registered
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("the desktop opens it") << kUrl << "RECORD %u" << QStringList() << "";
        QTest::newRow("fallback: quoted program, target where the first field code stands, other codes dropped")
            << kUrl << "\"RECORD\" --new-window %c %i %F --private %U" << QStringList{"--new-window", kUrl, "--private"}
            << "";
        QTest::newRow("fallback: no field code, appended")
            << kUrl << "RECORD --new-window" << QStringList{"--new-window", kUrl} << "";
        // Not an address and no such file: the desktop is not asked, the text/html program gets it whole.
        QTest::newRow("no target: its text") << ""
                                             << "RECORD %u" << QStringList{"Technical support"} << "";
        QTest::newRow("neither") << kUrl << "" << QStringList()
                                 << "Unable to open hyperlink:\n\nThere is no application associated\n"
                                    "with the given filename extension.";
        QTest::newRow("registered program missing") << kUrl << "/nonexistent/browser %u" << QStringList()
                                                    << "Unable to open hyperlink:\n\nThe specified file was not found.";
    }
    void clickOpensOrFallsBack() {
        QFETCH(QString, target);
        QFETCH(QString, exec);
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        openerSucceeds = arguments.isEmpty() && message.isEmpty(); // else the desktop's opener fails
        if (!exec.isEmpty())
            desktop->RegisterHtmlProgram(exec);
        CHyperLinkCtrl link("Technical support", prompts);
        if (!target.isEmpty())
            link.SetURL(target);
        QCOMPARE(link.toolTip(), target.isEmpty() ? link.text() : target);
        link.show();
        // Pressed and released outside first, the usual way to back out: that opens nothing.
        QTest::mousePress(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseRelease(&link, Qt::LeftButton, Qt::NoModifier, QPoint(link.width() + 2, 2));
        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));

        QCOMPARE(opened, target.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(target)});
        QTRY_COMPARE(QString::fromStdString(ReadFile(desktop->tmp.file("args"))).split('\n', Qt::SkipEmptyParts),
                     arguments);
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(prompts.shown.first().icon, Prompts::WarningIcon);
        QCOMPARE(link.IsVisited(), message.isEmpty());
        Leave(&link); // the pointer may still be over it, which shows the hover colour
        QCOMPARE(link.TextColour(), message.isEmpty() ? QColor(85, 26, 139) : QColor(0, 0, 238));
    }

    // As in the About box: underlined always, or only while the pointer is over it; the hover colour only then.
    void lookFollowsTheMouse() {
        CHyperLinkCtrl link("Home page", prompts);
        QFont font = link.font();
        font.setStyleStrategy(QFont::NoAntialias);
        link.setFont(font);
        link.SetURL("https://quor-zodi.example/");
        const QColor linkColour(0, 0, 238), hover(255, 0, 0);
        for (auto mode : {CHyperLinkCtrl::UNDERLINE_ALWAYS, CHyperLinkCtrl::UNDERLINE_HOVER}) {
            link.SetUnderline(mode);
            for (bool over : {false, true, false}) {
                over ? Enter(&link) : Leave(&link);
                const QImage image = Render(&link);
                QCOMPARE(link.IsUnderlined(), over || mode == CHyperLinkCtrl::UNDERLINE_ALWAYS);
                QCOMPARE(Bounds(image, hover).isEmpty(), !over);
                QCOMPARE(Bounds(image, linkColour).isEmpty(), over);
            }
        }
    }

    // Shrunk to its underlined text, keeping its top left corner.
    void fitsToItsText() {
        QWidget parent;
        CHyperLinkCtrl link("Technical support", prompts, &parent);
        link.setGeometry(20, 20, 300, 60);
        link.SetURL(kUrl);
        QFont underlined = link.font();
        underlined.setUnderline(true);
        QCOMPARE(link.geometry(),
                 QRect(QPoint(20, 20), QFontMetrics(underlined).size(Qt::TextSingleLine, "Technical support")));
    }

    void colourLabelLook() {
        QWidget parent;
        QPalette palette;
        palette.setColor(QPalette::WindowText, QColor(10, 20, 30));
        palette.setColor(QPalette::Button, QColor(220, 210, 200));
        parent.setPalette(palette);
        CColorLabel label("Quor Zodi Converter 1.00", &parent);
        label.resize(220, 20);
        parent.setPalette(QPalette()); // colours are taken once, when the label is made
        QCOMPARE(label.LabelFont().weight(), QFont::Black);
        const int height = QFontMetrics(label.LabelFont()).height();
        QVERIFY2(height >= 12 && height <= 14, qPrintable(QString::number(height)));
        const QImage image = Render(&label);
        QCOMPARE(image.pixelColor(label.width() - 1, label.height() - 1), QColor(220, 210, 200));
        QVERIFY(!Bounds(image, QColor(10, 20, 30)).isEmpty());
    }
};

QTEST_MAIN(HyperlinkTest)
#include "hyperlink_test.moc"
