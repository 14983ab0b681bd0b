#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
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
        const QPoint w(kSize.width() - 1, 0), h(0, kSize.height() - 1);
        for (const QPoint& p : {QPoint(), w / 2, h / 2}) // top and left edges
            QCOMPARE(image.pixelColor(p), topLeft);
        for (const QPoint& p : {w + h, w + h / 2, w / 2 + h}) // bottom and right edges
            QCOMPARE(image.pixelColor(p), bottomRight);
        QCOMPARE(image.pixelColor(1, 1), kFace); // one pixel thin
    }

    void imagePlacement_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QPoint>("imageAt");
        // Face 60 x 50, image 8 x 8, margins 3. The main window uses these two alignments.
        QTest::newRow("above, no caption: centred") << "" << 1 << QPoint(26, 21);
        QTest::newRow("above a caption: 3 from the top") << "Go" << 1 << QPoint(26, 3);
        QTest::newRow("left of a caption") << "Go" << 0 << QPoint(3, 21);
    }
    // Pressed, image and caption move one pixel right and down.
    void imagePlacement() {
        QFETCH(QString, caption);
        QFETCH(int, alignment);
        QFETCH(QPoint, imageAt);
        auto b = MakeButton(caption);
        QCOMPARE(b->AssignImage(Square(8, kIcon)), 0);
        QCOMPARE(b->SetImageAlignment(alignment, false), 0);
        const QImage up = Render(b.get());
        b->setDown(true);
        const QImage down = Render(b.get());
        QCOMPARE(Bounds(up, kIcon), QRect(imageAt, QSize(8, 8)));
        QCOMPARE(Bounds(down, kIcon), QRect(imageAt + QPoint(1, 1), QSize(8, 8)));
        if (!caption.isEmpty() && alignment == 1) {
            const QRect text = Bounds(up, kText); // below the image
            QVERIFY2(!text.isEmpty() && text.top() >= 8, qPrintable(QString::number(text.top())));
            QCOMPARE(Bounds(down, kText), text.translated(1, 1));
        }
    }

    void disabledCaptionIsEngravedAndIconGreyed() {
        auto b = MakeButton("Go");
        b->AssignImage(Square(8, kIcon));
        b->SetImageAlignment(0, false);
        b->setEnabled(false);
        const QImage image = Render(b.get());
        const QRect shadow = Bounds(image, kShadow), light = Bounds(image, kLight);
        QVERIFY(!shadow.isEmpty() && !light.isEmpty());
        QCOMPARE(light.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
        QVERIFY(Bounds(image, kText).isEmpty());
        QVERIFY(Bounds(image, kIcon).isEmpty()); // the icon in its disabled rendering
    }

    void transparentBackgroundIsTakenAgainAfterPaletteChange() {
        QWidget parent;
        parent.resize(200, 100);
        parent.setAutoFillBackground(true);
        const auto paint = [&](Qt::GlobalColor colour) {
            QPalette p;
            p.setColor(QPalette::Window, colour);
            parent.setPalette(p);
        };
        paint(Qt::red);
        CImageButton b(QString(), &parent);
        b.setGeometry(20, 20, 40, 30);
        b.UseParentBackground(false);
        parent.show();
        QCOMPARE(Render(&b).pixelColor(20, 15), QColor(Qt::red));
        paint(Qt::blue);
        QCOMPARE(Render(&b).pixelColor(20, 15), QColor(Qt::blue));
        // Not transparent: the face colour.
        CImageButton plain(QString(), &parent);
        plain.setGeometry(80, 20, 40, 30);
        QCOMPARE(Render(&plain).pixelColor(20, 15), plain.palette().color(QPalette::Button));
    }

    void dragFromElsewhereDoesNotLight() {
        auto b = MakeButton("Go");
        for (Qt::MouseButtons held : {Qt::MouseButtons(Qt::LeftButton), Qt::MouseButtons(Qt::NoButton)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), b->mapToGlobal(QPointF(10, 10)), Qt::NoButton, held,
                             Qt::NoModifier);
            QApplication::sendEvent(b.get(), &move);
            QCOMPARE(b->IsHover(), held == Qt::NoButton);
        }
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

    void disablingMovesTheFocusOn_data() {
        QTest::addColumn<int>("focusedBefore");
        QTest::newRow("the button had the focus") << 1;
        QTest::newRow("another control had it") << 0;
    }
    void disablingMovesTheFocusOn() {
        QFETCH(int, focusedBefore);
        QWidget window;
        QWidget* first = new QLineEdit(&window);
        QWidget* button = new CImageButton("Go", &window);
        QWidget* after = new QLineEdit(&window);
        (new QVBoxLayout(&window))->addWidget(first);
        window.layout()->addWidget(button);
        window.layout()->addWidget(after);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        (focusedBefore == 1 ? button : first)->setFocus();
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        button->setEnabled(false);
        QTRY_COMPARE(QApplication::focusWidget(), after);
    }
};

QTEST_MAIN(ImageButtonTest)
#include "image_button_test.moc"
