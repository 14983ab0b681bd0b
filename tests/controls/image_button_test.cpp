#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>

#include "controls/image_button.h"
#include "controls/skin.h"

namespace {
const QColor kFace(200, 200, 200), kText(Qt::black), kLight(Qt::white), kShadow(64, 64, 64), kIcon(Qt::red);
const QSize kSize(60, 50);

QPalette FixedPalette() {
    QPalette p;
    p.setColor(QPalette::Button, kFace);
    p.setColor(QPalette::ButtonText, kText);
    p.setColor(QPalette::Light, kLight);
    p.setColor(QPalette::Dark, kShadow);
    return p;
}

QPixmap Square(int side, const QColor& colour) {
    QPixmap pm(side, side);
    pm.fill(colour);
    return pm;
}

// A button of known size, colours and font (no antialiasing, so text pixels are exactly the pen colour).
std::unique_ptr<CImageButton> MakeButton(const QString& caption) {
    auto b = std::make_unique<CImageButton>(caption);
    b->setPalette(FixedPalette());
    QFont font = b->font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(12);
    b->setFont(font);
    b->resize(kSize);
    return b;
}

QImage Render(QWidget* w) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    w->render(&image);
    return image;
}

// The smallest rectangle around every pixel of `colour`; empty when there is none.
QRect Bounds(const QImage& image, const QColor& colour) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                r |= QRect(x, y, 1, 1);
    return r;
}

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
} // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InitProgramResources(); }

    void framesFollowMouseAndPress_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QColor>("topLeft");
        QTest::addColumn<QColor>("bottomRight");
        QTest::newRow("at rest: flat") << "" << kFace << kFace;
        QTest::newRow("under the mouse: raised") << "enter" << kLight << kShadow;
        QTest::newRow("mouse gone again: flat") << "enter leave" << kFace << kFace;
        QTest::newRow("focus lost: flat") << "enter unfocus" << kFace << kFace;
        QTest::newRow("pressed: sunken") << "enter down" << kShadow << kLight;
        QTest::newRow("pressed without hover: sunken") << "down" << kShadow << kLight;
    }
    void framesFollowMouseAndPress() {
        QFETCH(QString, steps);
        QFETCH(QColor, topLeft);
        QFETCH(QColor, bottomRight);
        auto b = MakeButton("Go");
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            if (step == "enter")
                Enter(b.get());
            else if (step == "leave")
                Leave(b.get());
            else if (step == "down")
                b->setDown(true);
            else if (step == "unfocus") {
                QFocusEvent e(QEvent::FocusOut);
                QApplication::sendEvent(b.get(), &e);
            }
        }
        const QImage image = Render(b.get());
        const int r = kSize.width() - 1, bottom = kSize.height() - 1;
        QCOMPARE(image.pixelColor(0, 0), topLeft);
        QCOMPARE(image.pixelColor(r / 2, 0), topLeft);
        QCOMPARE(image.pixelColor(0, bottom / 2), topLeft);
        QCOMPARE(image.pixelColor(r, bottom), bottomRight);
        QCOMPARE(image.pixelColor(r, bottom / 2), bottomRight);
        QCOMPARE(image.pixelColor(r / 2, bottom), bottomRight);
        QCOMPARE(image.pixelColor(1, 1), kFace); // one pixel thin
    }

    void imagePlacement_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QPoint>("imageAt");
        // Face 60 x 50, image 8 x 8, margins 3.
        QTest::newRow("above, no caption: centred") << "" << 1 << false << QPoint(26, 21);
        QTest::newRow("above, no caption, pressed") << "" << 1 << true << QPoint(27, 22);
        QTest::newRow("above a caption: 3 from the top") << "Go" << 1 << false << QPoint(26, 3);
        QTest::newRow("above a caption, pressed") << "Go" << 1 << true << QPoint(27, 4);
        QTest::newRow("left of a caption") << "Go" << 0 << false << QPoint(3, 21);
        QTest::newRow("left, no caption: centred") << "" << 0 << false << QPoint(26, 21);
        QTest::newRow("right of a caption") << "Go" << 2 << false << QPoint(49, 21);
        QTest::newRow("right, no caption: top") << "" << 2 << false << QPoint(26, 0);
        QTest::newRow("whole face") << "Go" << 3 << false << QPoint(0, 0);
    }
    void imagePlacement() {
        QFETCH(QString, caption);
        QFETCH(int, alignment);
        QFETCH(bool, pressed);
        QFETCH(QPoint, imageAt);
        auto b = MakeButton(caption);
        QCOMPARE(b->AssignImage(Square(8, kIcon)), 0);
        QCOMPARE(b->SetImageAlignment(alignment, false), 0);
        b->setDown(pressed);
        const QImage image = Render(b.get());
        QCOMPARE(Bounds(image, kIcon), QRect(imageAt, QSize(8, 8)));
        if (!caption.isEmpty() && alignment == 1) {
            // The caption stands in the area below the image.
            const QRect text = Bounds(image, kText);
            QVERIFY(!text.isEmpty());
            QVERIFY2(text.top() >= 8 + (pressed ? 1 : 0), qPrintable(QString::number(text.top())));
        }
    }

    void captionMovesOnePixelWhilePressed() {
        auto b = MakeButton("Go");
        b->AssignImage(Square(8, kIcon));
        b->SetImageAlignment(1, false);
        const QRect up = Bounds(Render(b.get()), kText);
        b->setDown(true);
        const QRect down = Bounds(Render(b.get()), kText);
        QVERIFY(!up.isEmpty());
        QCOMPARE(down, up.translated(1, 1));
    }

    void disabledCaptionIsEngravedAndIconGreyed() {
        auto b = MakeButton("Go");
        b->AssignImage(Square(8, kIcon));
        b->SetImageAlignment(0, false);
        b->setEnabled(false);
        const QImage image = Render(b.get());
        const QRect shadow = Bounds(image, kShadow), light = Bounds(image, kLight);
        QVERIFY(!shadow.isEmpty());
        QVERIFY(!light.isEmpty());
        QCOMPARE(light.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
        QVERIFY(Bounds(image, kText).isEmpty());
        QVERIFY(Bounds(image, kIcon).isEmpty()); // the icon in its disabled rendering
    }

    void transparentBackgroundIsTakenAgainAfterPaletteChange() {
        QWidget parent;
        parent.resize(200, 100);
        parent.setAutoFillBackground(true);
        QPalette red;
        red.setColor(QPalette::Window, Qt::red);
        parent.setPalette(red);
        CImageButton b(QString(), &parent);
        b.setGeometry(20, 20, 40, 30);
        b.UseParentBackground(false);
        parent.show();
        QCOMPARE(Render(&b).pixelColor(20, 15), QColor(Qt::red));
        QPalette blue;
        blue.setColor(QPalette::Window, Qt::blue);
        parent.setPalette(blue);
        QCOMPARE(Render(&b).pixelColor(20, 15), QColor(Qt::blue));
        // Not transparent: the face colour.
        CImageButton plain(QString(), &parent);
        plain.setGeometry(80, 20, 40, 30);
        QCOMPARE(Render(&plain).pixelColor(20, 15), plain.palette().color(QPalette::Button));
    }

    void dragFromElsewhereDoesNotLight() {
        auto b = MakeButton("Go");
        QMouseEvent held(QEvent::MouseMove, QPointF(10, 10), b->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b.get(), &held);
        QVERIFY(!b->IsHover());
        QCOMPARE(Render(b.get()).pixelColor(0, 0), kFace);
        QMouseEvent free(QEvent::MouseMove, QPointF(10, 10), b->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b.get(), &free);
        QVERIFY(b->IsHover());
    }

    // The order in which a double click arrives differs between platforms (with or without a second press
    // before the double-click event); either way the parent hears two clicks.
    void doubleClickGivesTwoClicks_data() {
        QTest::addColumn<QString>("events");
        QTest::newRow("press release double release") << "p r d r";
        QTest::newRow("press release press double release") << "p r p d r";
    }
    void doubleClickGivesTwoClicks() {
        QFETCH(QString, events);
        auto b = MakeButton("Go");
        b->show();
        QSignalSpy clicks(b.get(), &QPushButton::clicked);
        const QPointF at(10, 10);
        for (const QString& e : events.split(' ')) {
            const QEvent::Type type = e == "p"   ? QEvent::MouseButtonPress
                                      : e == "r" ? QEvent::MouseButtonRelease
                                                 : QEvent::MouseButtonDblClick;
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, b->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(b.get(), &event);
        }
        QCOMPARE(clicks.count(), 2);
    }

    void badAlignmentIsRefused() {
        auto b = MakeButton("Go");
        QCOMPARE(b->SetImageAlignment(2, false), 0);
        QCOMPARE(b->SetImageAlignment(4, true), CImageButton::kBadAlignment);
        QCOMPARE(b->SetImageAlignment(-1, true), CImageButton::kBadAlignment);
        QCOMPARE(b->ImageAlignment(), 2);
    }

    void iconsAndHints() {
        struct Case {
            int icon, width, height;
            int answer;
            QSize size;
        };
        const Case cases[] = {{160, 48, 48, 0, {48, 48}},
                              {150, 48, 48, 0, {48, 48}},
                              {150, 0, 0, 0, {32, 32}},
                              {145, 0, 0, 0, {16, 16}},
                              {4242, 0, 0, 1, {0, 0}}};
        for (const Case& c : cases) {
            CImageButton b;
            b.AssignImage(Square(8, kIcon));
            QCOMPARE(b.AssignIcons(c.icon, c.width, c.height), c.answer);
            QCOMPARE(b.ImageSize(), c.size);
        }
        CImageButton b;
        b.AssignHint("Start converting", true);
        QCOMPARE(b.toolTip(), QStringLiteral("Start converting"));
        b.AssignHint(QString(), true); // ignored
        QCOMPARE(b.toolTip(), QStringLiteral("Start converting"));
        b.AssignHint("Start converting", false);
        QVERIFY(b.toolTip().isEmpty());
    }

    void disablingMovesTheFocusOn_data() {
        QTest::addColumn<int>("focusedBefore");
        QTest::newRow("the button had the focus") << 1;
        QTest::newRow("another control had it") << 0;
    }
    void disablingMovesTheFocusOn() {
        QFETCH(int, focusedBefore);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* first = new QLineEdit(&window);
        auto* button = new CImageButton("Go", &window);
        auto* after = new QLineEdit(&window);
        for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(button), static_cast<QWidget*>(after)})
            layout->addWidget(w);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        (focusedBefore == 1 ? static_cast<QWidget*>(button) : first)->setFocus();
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        button->setEnabled(false);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(after));
    }
};

QTEST_MAIN(ImageButtonTest)
#include "image_button_test.moc"
