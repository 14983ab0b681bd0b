#pragma once

#include <QtTest>

// The pointer arriving over `w`, leaving it, and moving over it with `held` down.
inline void Enter(QWidget* w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &e);
}
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
inline void Move(QWidget* w, QPointF at, Qt::MouseButtons held) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The left button pressed over a window of its own, as at the start of a drag from elsewhere: for the application
// it stays down until the end of the scope.
struct LeftButtonHeldElsewhere {
    QWidget elsewhere;
    LeftButtonHeldElsewhere() {
        elsewhere.show();
        QTest::mousePress(elsewhere.windowHandle(), Qt::LeftButton);
    }
    ~LeftButtonHeldElsewhere() { QTest::mouseRelease(elsewhere.windowHandle(), Qt::LeftButton); }
};

inline QImage Render(QWidget* w) {
    QImage image(w->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
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
