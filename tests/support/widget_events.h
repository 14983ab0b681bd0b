#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QtTest>

// The pointer arriving over `w` at `at`, and leaving it again.
inline void Enter(QWidget* w, QPointF at = {2, 2}) {
    QEnterEvent e(at, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
}
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// A mouse event of `type` at `at` with `held` down (a press or release of the left button when `type` says so).
inline void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The left button goes down over a window of its own, as at the start of a drag from elsewhere: the application
// believes it held until the end of the scope.
struct LeftButtonHeldElsewhere {
    QWidget elsewhere;
    LeftButtonHeldElsewhere() {
        elsewhere.show();
        QTest::mousePress(elsewhere.windowHandle(), Qt::LeftButton);
    }
    ~LeftButtonHeldElsewhere() { QTest::mouseRelease(elsewhere.windowHandle(), Qt::LeftButton); }
};

inline QImage Render(QWidget* w, QColor background = Qt::white) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(background);
    w->render(&image);
    return image;
}

// The smallest rectangle around every pixel of `colour`; empty when there is none.
inline QRect Bounds(const QImage& image, const QColor& colour) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                r |= QRect(x, y, 1, 1);
    return r;
}
