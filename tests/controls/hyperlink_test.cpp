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
const QString kNoProgram = "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename "
                           "extension.";
const QString kNotFound = "Unable to open hyperlink:\n\nThe specified file was not found.";

// A desktop of our own for the whole test program (the desktop's program lists are read once per process): XDG
// folders in a temporary folder, with one desktop entry registered as default for text/html. Its command line is
// `sh -c "RECORD %u; RECORD end"` (or %f), a shell word around the target as some desktops have it; RECORD
// appends its arguments to a file, one a line. MARK, which a target may try to run, leaves a marker file.
struct ScriptedDesktop {
    ScriptedDesktop() {
        for (const char* dir : {"config", "etc", "data/applications", "share"})
            std::filesystem::create_directories(tmp.path() / dir);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp.file("config")));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(tmp.file("etc")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tmp.file("data")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(tmp.file("share")));
        WriteScript("record", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + tmp.file("args") + "'");
        WriteScript("mark", "touch '" + tmp.file("marker") + "'");
        WriteFile(tmp.file("config/mimeapps.list"), "[Default Applications]\ntext/html=browser.desktop;\n");
    }
    void WriteScript(const char* name, const std::string& body) {
        WriteFile(tmp.file(name), "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(tmp.file(name), std::filesystem::perms::owner_all);
    }
    // The entry's command line with `fieldCode` for the target; without one it names a program that is not there,
    // which leaves text/html without a program.
    void SetBrowser(const QString& fieldCode) {
        const std::string program = fieldCode.isEmpty() ? "/nonexistent/browser" : "sh";
        WriteFile(tmp.file("data/applications/browser.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + program + " -c \"" + tmp.file("record") +
                      " " + fieldCode.toStdString() + "; " + tmp.file("record") + " end\"\n");
    }
    void Reset() {
        std::filesystem::remove(tmp.file("args"));
        std::filesystem::remove(tmp.file("marker"));
    }
    QString Mark() const { return QString::fromStdString(tmp.file("mark")); }
    bool Recorded() const { return ReadFile(tmp.file("args")).ends_with("end\n"); }
    bool Marked() const { return std::filesystem::exists(tmp.file("marker")); }
    QStringList Arguments() const {
        return QString::fromStdString(ReadFile(tmp.file("args"))).split('\n', Qt::SkipEmptyParts);
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
    void initTestCase() { desktop = std::make_unique<ScriptedDesktop>(); }
    void init() {
        desktop->Reset();
        prompts = ScriptedPrompts();
        opened.clear();
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return openerSucceeds;
        });
    }
    void cleanup() { SetLinkOpenerForTest({}); }
    void cleanupTestCase() { desktop.reset(); }

    // The desktop's opener first, then the text/html program; only web and mail addresses and existing files.
    void clickOpensOrRefuses_data() {
        QTest::addColumn<bool>("openerOk");
        QTest::addColumn<QString>("browser"); // the field code of the text/html program; empty: no such program
        QTest::addColumn<QString>(
            "target"); // empty: the link's text; MARK: the marker script; FILE: the folder of a file made for the row
        QTest::addColumn<QString>("asked");   // what the desktop's opener was asked to open, if anything
        QTest::addColumn<QString>("browsed"); // what the text/html program got, if anything
        QTest::addColumn<QString>("message");
        const QString web = "https://quor-zodi.example/support/", none, file = "FILEpage.htm",
                      fileUrl = "file://" + file;
        const QString dollar = "https://quor-zodi.example/$(MARK)", semicolon = "mailto:help@quor-zodi.example;MARK";
        const QString u = "%u", f = "%f";
        QTest::newRow("the desktop opens it") << true << none << web << web << none << none;
        QTest::newRow("browser gets $(...) as text") << false << u << dollar << dollar << dollar << none;
        QTest::newRow("browser gets ; as text") << false << u << semicolon << semicolon << semicolon << none;
        QTest::newRow("an existing file") << false << f << file << fileUrl << file << none;
        QTest::newRow("a file name that would break the quoting")
            << false << f << QString("FILEpage\\\"x\\\".htm") << none << none << kNotFound;
        QTest::newRow("no program for web pages") << false << none << web << web << none << kNoProgram;
        QTest::newRow("a program for files only") << false << f << web << web << none << kNoProgram;
        QTest::newRow("an option is no target") << true << u << QString("-x") << none << none << kNotFound;
        QTest::newRow("no target: its text, neither address nor file")
            << true << u << none << none << none << kNotFound;
        QTest::newRow("another scheme") << true << u << QString("javascript:MARK") << none << none << kNoProgram;
    }
    void clickOpensOrRefuses() {
        QFETCH(bool, openerOk);
        QFETCH(QString, browser);
        QFETCH(QString, target);
        QFETCH(QString, asked);
        QFETCH(QString, browsed);
        QFETCH(QString, message);
        for (QString* text : {&target, &asked, &browsed})
            text->replace("MARK", desktop->Mark()).replace("FILE", QString::fromStdString(desktop->tmp.dir()));
        if (target.startsWith(QString::fromStdString(desktop->tmp.dir())))
            WriteFile(target.toStdString(), "<p>page</p>");
        openerSucceeds = openerOk;
        desktop->SetBrowser(browser);
        CHyperLinkCtrl link("Technical support", prompts);
        if (!target.isEmpty())
            link.SetURL(target);
        QCOMPARE(link.toolTip(), target.isEmpty() ? link.text() : target);
        link.show();
        // Pressed and released outside first, the usual way to back out: that opens nothing.
        QTest::mousePress(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseRelease(&link, Qt::LeftButton, Qt::NoModifier, QPoint(link.width() + 2, 2));
        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));

        QCOMPARE(opened, asked.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(asked)});
        if (!browsed.isEmpty()) {
            QTRY_VERIFY(desktop->Recorded());
            QCOMPARE(desktop->Arguments(), (QStringList{browsed, "end"}));
        }
        QVERIFY(!desktop->Marked());
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
        link.SetURL("https://quor-zodi.example/support/");
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
