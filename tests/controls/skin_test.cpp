#include <QApplication>
#include <QtTest>

#include "controls/skin.h"

class SkinTest : public QObject {
    Q_OBJECT
private slots:
    // Once set for "Dialog" (the one object the skin holds) the skin styles the whole program until Exit; a missing
    // skin, or any other object, keeps Qt's own look.
    void skinStylesTheProgramUntilExit() {
        const std::tuple<const char*, const char*, bool> cases[] = {
            {"VELDA_SKIN", "Dialog", true}, {"NO_SUCH_SKIN", "Dialog", false}, {"VELDA_SKIN", "Button", false}};
        for (const auto& [name, object, styled] : cases) {
            const QByteArray row = QByteArray(name) + " " + object;
            Skin::Init("Quor Zodi Converter", "code");
            QVERIFY2(Skin::LoadFromResource(name, "SKINMAGIC") == (QByteArray(name) == "VELDA_SKIN"), row);
            QVERIFY2(qApp->styleSheet().isEmpty(), row);
            Skin::SetDialogSkin(object);
            QVERIFY2(qApp->styleSheet().contains("QPushButton") == styled, row);
            Skin::Exit();
            QVERIFY2(qApp->styleSheet().isEmpty(), row);
        }
    }
};

QTEST_MAIN(SkinTest)
#include "skin_test.moc"
