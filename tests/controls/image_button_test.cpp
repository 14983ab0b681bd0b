#include <optional>

#include <QLineEdit>
#include <QtTest>

#include "controls/image_button.h"
#include "support/widget_events.h"

namespace {
const QColor kFace(200, 200, 200), kText(Qt::black), kLight(Qt::white), kShadow(64, 64, 64), kIcon(Qt::red);
const QSize kSize(60, 50);

// A button of known size, colours and font (no antialiasing: text pixels are exactly the pen colour), with an
// 8 x 8 image when `alignment` is given.
std::unique_ptr<CImageButton> MakeButton(const QString& caption, int alignment = -1) {
    auto b = std::make_unique<CImageButton>(caption);
    // Window text, button (the face), light, dark (the shadow), mid, text, bright text, base, window.
    b->setPalette(QPalette(kText, kFace, kLight, kShadow, kShadow, kText, kLight, kFace, kFace));
    QFont font = b->font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(12);
    b->setFont(font);
    b->resize(kSize);
    if (alignment >= 0) {
        QPixmap image(8, 8);
        image.fill(kIcon);
        b->AssignImage(image);
        b->SetImageAlignment(alignment, false);
    }
    return b;
}
} // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
private slots:
    void framesFollowMouseAndPress_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QColor>("topLeft");
        QTest::addColumn<QColor>("bottomRight");
        QTest::newRow("at rest: flat") << "" << kFace << kFace;
        QTest::newRow("entered: raised") << "enter" << kLight << kShadow;
        QTest::newRow("mouse gone again: flat") << "enter leave" << kFace << kFace;
        QTest::newRow("focus lost: flat") << "enter unfocus" << kFace << kFace;
        QTest::newRow("pressed: sunken") << "enter down" << kShadow << kLight;
        QTest::newRow("moved over: raised") << "move" << kLight << kShadow;
        QTest::newRow("dragged over with the button held: flat") << "drag" << kFace << kFace;
        QTest::newRow("entered while the button is held elsewhere: flat") << "hold enter" << kFace << kFace;
    }
    void framesFollowMouseAndPress() {
        QFETCH(QString, steps);
        QFETCH(QColor, topLeft);
        QFETCH(QColor, bottomRight);
        auto b = MakeButton("Go", CImageButton::ALIGN_TOP);
        std::optional<LeftButtonHeldElsewhere> held;
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            if (step == "hold")
                held.emplace();
            else if (step == "enter")
                Enter(b.get());
            else if (step == "leave")
                Leave(b.get());
            else if (step == "down")
                b->setDown(true);
            else if (step == "move" || step == "drag")
                Move(b.get(), {10, 10}, step == "drag" ? Qt::LeftButton : Qt::NoButton);
            else if (QFocusEvent e(QEvent::FocusOut); step == "unfocus")
                QApplication::sendEvent(b.get(), &e);
        }
        const QImage image = Render(b.get());
        const QPoint w(kSize.width() - 1, 0), h(0, kSize.height() - 1);
        for (const QPoint& p : {QPoint(), w / 2, h / 2}) // top and left edges
            QCOMPARE(image.pixelColor(p), topLeft);
        for (const QPoint& p : {w + h, w + h / 2, w / 2 + h}) // bottom and right edges
            QCOMPARE(image.pixelColor(p), bottomRight);
        QCOMPARE(image.pixelColor(1, 1), kFace); // one pixel thin
    }

    // Face 60 x 50, image 8 x 8, margins 3; pressed, image and caption move one pixel right and down. The main
    // window uses the first two alignments.
    void imagePlacement_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QPoint>("imageAt");
        QTest::newRow("above, no caption: centred") << "" << 1 << QPoint(26, 21);
        QTest::newRow("above a caption: 3 from the top") << "Go" << 1 << QPoint(26, 3);
        QTest::newRow("left of a caption") << "Go" << 0 << QPoint(3, 21);
    }
    void imagePlacement() {
        QFETCH(QString, caption);
        QFETCH(int, alignment);
        QFETCH(QPoint, imageAt);
        auto b = MakeButton(caption, alignment);
        QCOMPARE(b->SetImageAlignment(4, true), CImageButton::kBadAlignment); // refused, changing nothing
        QCOMPARE(b->SetImageAlignment(-1, true), CImageButton::kBadAlignment);
        const QImage up = Render(b.get());
        b->setDown(true);
        const QImage down = Render(b.get());
        QCOMPARE(Bounds(up, kIcon), QRect(imageAt, QSize(8, 8)));
        QCOMPARE(Bounds(down, kIcon), QRect(imageAt + QPoint(1, 1), QSize(8, 8)));
        if (!caption.isEmpty()) {
            const QRect text = Bounds(up, kText);
            QVERIFY2(text.top() >= 8 * alignment, qPrintable(QString::number(text.top()))); // below an image above
            QCOMPARE(Bounds(down, kText), text.translated(1, 1));
        }
    }

    // Disabled: the caption engraved (a light copy one pixel down and right under a shadow-coloured one), the icon
    // greyed.
    void disabledLook() {
        auto b = MakeButton("Go", 0);
        b->setEnabled(false);
        const QImage image = Render(b.get());
        const QRect shadow = Bounds(image, kShadow), light = Bounds(image, kLight);
        QCOMPARE(light.bottomRight(), shadow.bottomRight() + QPoint(1, 1));
        QVERIFY(Bounds(image, kText).isEmpty());
        QVERIFY(Bounds(image, kIcon).isEmpty());
    }

    void transparentBackgroundIsTakenAgainAfterPaletteChange() {
        QWidget parent;
        parent.resize(200, 100);
        parent.setAutoFillBackground(true);
        CImageButton b(QString(), &parent);
        b.setGeometry(20, 20, 40, 30);
        b.UseParentBackground(false);
        parent.show();
        for (QColor colour : {Qt::red, Qt::blue}) {
            parent.setPalette(QPalette(colour)); // the window's colour too
            QCOMPARE(Render(&b).pixelColor(20, 15), colour);
        }
    }

    void disablingTheFocusedButtonMovesTheFocusOn() {
        QWidget window;
        new QLineEdit(&window);
        auto* button = new CImageButton("Go", &window);
        auto* after = new QLineEdit(&window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        button->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), button);
        button->setEnabled(false);
        QTRY_COMPARE(QApplication::focusWidget(), after);
    }
};

QTEST_MAIN(ImageButtonTest)
#include "image_button_test.moc"
