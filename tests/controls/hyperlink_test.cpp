#include <filesystem>

#include <QApplication>
#include <QEnterEvent>
#include <QUrl>
#include <QtTest>

#include "controls/color_label.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/link_opener.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace {
const char kNoProgram[] = "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename "
                          "extension.";
const char kNotFound[] = "Unable to open hyperlink:\n\nThe specified file was not found.";

// A desktop of our own: XDG config and data folders in a temporary folder, optionally with a desktop entry
// registered as default for text/html whose command writes its arguments to a file, one a line.
struct ScriptedDesktop {
    ScriptedDesktop() {
        for (const char* dir : {"config", "etc", "data/applications", "share"})
            std::filesystem::create_directories(tmp.path() / dir);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp.file("config")));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(tmp.file("etc")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tmp.file("data")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(tmp.file("share")));
        WriteFile(tmp.file("record"), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                          tmp.file("args.tmp") + "'\nmv '" + tmp.file("args.tmp") + "' '" +
                                          tmp.file("args") + "'\n");
        std::filesystem::permissions(tmp.file("record"), std::filesystem::perms::owner_all);
    }
    // `exec` with "RECORD" standing for the recording script.
    void RegisterHtmlProgram(QString exec) {
        exec.replace("RECORD", QString::fromStdString(tmp.file("record")));
        WriteFile(tmp.file("data/applications/browser.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + exec.toStdString() + "\n");
        WriteFile(tmp.file("config/mimeapps.list"),
                  "[Added Associations]\ntext/html=other.desktop;\n[Default Applications]\n"
                  "text/html=missing.desktop;browser.desktop;\n");
    }
    bool Recorded() const { return std::filesystem::exists(tmp.file("args")); }
    QStringList Arguments() const {
        return QString::fromStdString(ReadFile(tmp.file("args"))).split('\n', Qt::SkipEmptyParts);
    }

    TempDir tmp;
};

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
int CountPixels(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}
QImage Render(QWidget* w) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    w->render(&image);
    return image;
}
} // namespace

class HyperlinkTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedDesktop> desktop;
    ScriptedPrompts prompts;
    QList<QUrl> opened;
    bool openerSucceeds = false;

private slots:
    void init() {
        desktop = std::make_unique<ScriptedDesktop>();
        prompts = ScriptedPrompts();
        opened.clear();
        SetLinkOpenerForTest([this](const QUrl& url) {
            opened << url;
            return openerSucceeds;
        });
    }
    void cleanup() {
        SetLinkOpenerForTest({});
        desktop.reset();
    }

    void clickOpensOrFallsBack_data() {
        QTest::addColumn<bool>("openerOk");
        QTest::addColumn<QString>("exec"); // empty: no text/html program registered
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString url = "https://quor-zodi.example/support/";
        QTest::newRow("the desktop opens it") << true << "RECORD %u" << QStringList() << "";
        QTest::newRow("fallback: target where the field code stands")
            << false << "RECORD --new-window %u --private" << QStringList{"--new-window", url, "--private"} << "";
        QTest::newRow("fallback: quoted program, %F, other codes dropped")
            << false << "\"RECORD\" --name %c %i %F %U" << QStringList{"--name", url} << "";
        QTest::newRow("fallback: no field code, appended")
            << false << "RECORD --new-window" << QStringList{"--new-window", url} << "";
        QTest::newRow("neither") << false << "" << QStringList() << kNoProgram;
        QTest::newRow("registered program missing") << false << "/nonexistent/browser %u" << QStringList() << kNotFound;
    }
    void clickOpensOrFallsBack() {
        QFETCH(bool, openerOk);
        QFETCH(QString, exec);
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        openerSucceeds = openerOk;
        if (!exec.isEmpty())
            desktop->RegisterHtmlProgram(exec);
        CHyperLinkCtrl link("Technical support", prompts);
        link.SetURL("https://quor-zodi.example/support/");
        link.show();
        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));

        QCOMPARE(opened, QList<QUrl>{QUrl("https://quor-zodi.example/support/")});
        if (!arguments.isEmpty()) {
            QTRY_VERIFY(desktop->Recorded());
            QCOMPARE(desktop->Arguments(), arguments);
        }
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(prompts.shown.first().icon, Prompts::WarningIcon);
        QCOMPARE(link.IsVisited(), message.isEmpty());
        Leave(&link); // the pointer may still be over it, which shows the hover colour
        QCOMPARE(link.TextColour(), message.isEmpty() ? QColor(85, 26, 139) : QColor(0, 0, 238));
        QVERIFY(!openerOk || !desktop->Recorded());
    }

    void withoutTargetUsesItsText() {
        desktop->RegisterHtmlProgram("RECORD %u");
        CHyperLinkCtrl link("Home page", prompts);
        QCOMPARE(link.toolTip(), QStringLiteral("Home page"));
        QCOMPARE(link.URL(), QStringLiteral("Home page"));
        link.show();
        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        // Not an address and no such file: the desktop is not asked, the text/html program gets it whole.
        QVERIFY(opened.isEmpty());
        QTRY_VERIFY(desktop->Recorded());
        QCOMPARE(desktop->Arguments(), QStringList{"Home page"});
    }

    // As in the About box: always underlined, in the hover colour only while the pointer is over it.
    void hoverColourFollowsTheMouse() {
        CHyperLinkCtrl link("Home page", prompts);
        QFont font = link.font();
        font.setStyleStrategy(QFont::NoAntialias);
        link.setFont(font);
        link.SetUnderline(CHyperLinkCtrl::UNDERLINE_ALWAYS);
        link.SetURL("https://quor-zodi.example/");
        const QColor linkColour(0, 0, 238), hover(255, 0, 0);
        for (bool over : {false, true, false}) {
            (over ? Enter : Leave)(&link);
            const QImage image = Render(&link);
            QVERIFY(link.IsUnderlined());
            QCOMPARE(CountPixels(image, hover) > 0, over);
            QCOMPARE(CountPixels(image, linkColour) > 0, !over);
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
        QCOMPARE(label.TextColour(), QColor(10, 20, 30));
        QCOMPARE(label.LabelFont().weight(), QFont::Black);
        const int height = QFontMetrics(label.LabelFont()).height();
        QVERIFY2(height >= 12 && height <= 14, qPrintable(QString::number(height)));
        const QImage image = Render(&label);
        QCOMPARE(image.pixelColor(label.width() - 1, label.height() - 1), QColor(220, 210, 200));
        QVERIFY(CountPixels(image, QColor(10, 20, 30)) > 0);
    }
};

QTEST_MAIN(HyperlinkTest)
#include "hyperlink_test.moc"
