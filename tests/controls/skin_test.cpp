#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include "controls/command_target.h"
#include "controls/skin.h"

namespace {
class RecordingTarget : public CommandTarget {
public:
    QList<int> received;
    bool OnCommand(int id) override {
        received << id;
        return true;
    }
};

QMenu* EditMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const std::pair<const char*, int> items[] = {{"Add video files to list", 32775},
                                                 {"Remove video file from list", 32776},
                                                 {"Move up", 32777},
                                                 {"Move down", 32778}};
    for (const auto& [text, id] : items)
        menu->addAction(QString::fromLatin1(text))->setData(id);
    return menu;
}
} // namespace

class SkinTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Skin::Exit(); }

    void skinStylesEveryDialogUntilExit() {
        Skin::Init("Quor Zodi Converter", "code");
        QVERIFY(Skin::LoadFromResource("VELDA_SKIN", "SKINMAGIC"));
        for (const char* selector : {"QDialog", "QPushButton", "QComboBox", "QProgressBar", "QHeaderView"})
            QVERIFY2(Skin::CurrentStyleSheet().contains(selector), selector);
        QVERIFY(qApp->styleSheet().isEmpty());
        Skin::SetDialogSkin("Dialog");
        QCOMPARE(qApp->styleSheet(), Skin::CurrentStyleSheet());
        Skin::Exit();
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void missingSkinKeepsQtsLook() {
        const std::pair<const char*, const char*> cases[] = {{"NO_SUCH_SKIN", "Dialog"}, {"VELDA_SKIN", "Button"}};
        for (const auto& [name, object] : cases) {
            Skin::Init("Quor Zodi Converter", "code");
            Skin::LoadFromResource(name, "SKINMAGIC");
            Skin::SetDialogSkin(object);
            QVERIFY2(qApp->styleSheet().isEmpty(), name);
            Skin::Exit();
        }
    }

    void popupMenuDeliversTheChosenIdToTheOwner() {
        QDialog owner;
        owner.show();
        RecordingTarget target;
        QPoint shownAt;
        // The second item is chosen with the keyboard, as a user would.
        QTimer::singleShot(0, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            QVERIFY(popup);
            shownAt = popup->pos();
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        QMenu* menu = EditMenu(&owner);
        Skin::TrackPopupMenu(menu, Skin::kRightButton, 40, 30, &target);
        QCOMPARE(target.received, QList<int>{32776});
        QCOMPARE(shownAt, QPoint(40, 30));

        // Dismissed without a choice: no command.
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape); });
        Skin::TrackPopupMenu(menu, Skin::kRightButton, 40, 30, &target);
        QCOMPARE(target.received.size(), 1);
    }
};

QTEST_MAIN(SkinTest)
#include "skin_test.moc"
