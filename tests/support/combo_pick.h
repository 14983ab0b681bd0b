#pragma once

#include <QComboBox>
#include <QtTest>

// A pick as the user makes it on a closed list: Home, then Down to the entry.
inline void Pick(QComboBox* combo, int position) {
    QVERIFY2(combo->isEnabled(), qPrintable(combo->objectName()));
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < position; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), position);
}
