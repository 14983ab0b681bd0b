#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include "controls/dialog_template.h"
#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/combo_pick.h"

using S = ConversionSettings;

namespace {

// The first-run settings (option.ini missing) with `format` and `fields` changed.
ConversionSettings With(int format, std::initializer_list<std::pair<SettingsField, int>> fields = {}) {
    ConversionSettings s = SettingsFromText("");
    s.outputFormat = format;
    for (const auto& [field, value] : fields)
        s.*field = value;
    return s;
}

QComboBox* Combo(const CSettingsDlg& dlg, int id) {
    return FindControl<QComboBox>(&dlg, id);
}

QStringList Entries(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// What a list shows: its selected text ("" for none) and whether the user may change it.
struct Shown {
    int id;
    QString text;
    bool enabled;
};

void ExpectShown(const CSettingsDlg& dlg, const QList<Shown>& expected) {
    for (const Shown& e : expected) {
        const QComboBox* combo = Combo(dlg, e.id);
        QVERIFY2(combo, qPrintable(QString::number(e.id)));
        QCOMPARE(combo->currentText(), e.text);
        QCOMPARE(combo->currentIndex() >= 0, !e.text.isEmpty());
        QCOMPARE(combo->isEnabled(), e.enabled);
    }
}

} // namespace

Q_DECLARE_METATYPE(ConversionSettings)
Q_DECLARE_METATYPE(QList<Shown>)

class SettingsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheStoredChoices_data() {
        QTest::addColumn<ConversionSettings>("stored");
        QTest::addColumn<QList<Shown>>("shown");
        QTest::newRow("DVD, PAL") << With(FORMAT_DVD, {{&S::tvMode, 1}})
                                  << QList<Shown>{{1066, "DVD compatible MPEG2 Format (*.vob)", true},
                                                  {1077, "PAL", true},
                                                  {1070, "720 x 576", false},
                                                  {1071, "25.0 fps", false},
                                                  {1068, "MPEG2", false},
                                                  {1069, "AC3", true},
                                                  {1078, "16:9   (Wide screen TV)", true}};
        // Hand-edited positions outside their lists: no selection, no clamping.
        QTest::newRow("MPEG1 quality 7") << With(FORMAT_MPEG1, {{&S::mpeg1Quality, 7}})
                                         << QList<Shown>{{1067, "", true}, {1070, "Original", true}};
        QTest::newRow("SVCD, TV mode 2") << With(FORMAT_SVCD, {{&S::tvMode, 2}})
                                         << QList<Shown>{{1077, "", true}, {1070, "", false}, {1071, "", false}};
        QTest::newRow("WMV resolution -1") << With(FORMAT_WMV, {{&S::aviResolution, -1}, {&S::wmvAudioCodec, 9}})
                                           << QList<Shown>{{1070, "", true}, {1069, "", true}};
        QTest::newRow("format 12") << With(12) << QList<Shown>{{1066, "", true}, {1067, "", false}, {1077, "", false}};
    }
    void opensWithTheStoredChoices() {
        QFETCH(ConversionSettings, stored);
        QFETCH(QList<Shown>, shown);
        CSettingsDlg dlg(stored);
        ExpectShown(dlg, shown);
        // "Ok" untouched gives back exactly what was stored.
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.Settings(), stored);
    }

    void switchingTheFormatRefillsEveryList() {
        CSettingsDlg dlg(With(FORMAT_AVI, {{&S::volume, 27}, {&S::letterbox, 1}}));
        Pick(Combo(dlg, 1066), FORMAT_WMV);
        ExpectShown(dlg, {{1077, "None", false},
                          {1071, "Auto", false},
                          {1078, "None", false},
                          {1068, "WMV8", false},
                          {1070, "Original", true}});
        QCOMPARE(Combo(dlg, 1070)->count(), 20);
        QCOMPARE(Entries(Combo(dlg, 1069)), (QStringList{"WMAv1", "WMAv2"}));
        // Volume and letter box are the same for every format.
        QCOMPARE(FindControl<QSlider>(&dlg, 1073)->value(), 27);
        QCOMPARE(FindControl<QLabel>(&dlg, 1074)->text(), QStringLiteral("+7db"));
        QVERIFY(FindControl<QCheckBox>(&dlg, 1072)->isChecked());
        QCOMPARE(dlg.Settings(), With(FORMAT_WMV, {{&S::volume, 27}, {&S::letterbox, 1}}));
    }

    void ntscChangesFrameSizeAndRateAtOnce() {
        CSettingsDlg dlg(With(FORMAT_DVD, {{&S::tvMode, 1}}));
        // A marker on the first entry shows whether a list was rebuilt.
        for (int id : {1067, 1078, 1069})
            Combo(dlg, id)->setItemData(0, "kept");
        Pick(Combo(dlg, 1077), 0);
        ExpectShown(dlg, {{1077, "NTSC", true}, {1070, "720 x 480", false}, {1071, "29.97 fps", false}});
        for (int id : {1067, 1078, 1069})
            QCOMPARE(Combo(dlg, id)->itemData(0).toString(), QStringLiteral("kept"));
        QCOMPARE(dlg.Settings(), With(FORMAT_DVD, {{&S::tvMode, 0}}));
    }

    // A pick lands in the field of the current format and nowhere else, also where formats share a list.
    void picksLandInTheirOwnField_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("position");
        QTest::addColumn<ConversionSettings>("expected");
        const auto row = [](const char* name, int format, int id, int position, SettingsField field) {
            QTest::newRow(name) << format << id << position << With(format, {{field, position}});
        };
        row("ASF audio", FORMAT_ASF, 1069, 0, &S::asfAudioCodec);
        row("WMV audio", FORMAT_WMV, 1069, 0, &S::wmvAudioCodec);
        row("ZodI audio", FORMAT_ZODI, 1069, 1, &S::zodiAudioCodec);
        row("AVI audio", FORMAT_AVI, 1069, 1, &S::aviAudioCodec);
        row("ASF video", FORMAT_ASF, 1068, 2, &S::asfVideoCodec);
        row("VCD quality", FORMAT_VCD, 1067, 0, &S::mpeg1Quality);
        row("ASF quality", FORMAT_ASF, 1067, 8, &S::wmvQuality);
        row("WMV resolution", FORMAT_WMV, 1070, 14, &S::aviResolution);
        row("MPEG2 resolution", FORMAT_MPEG2, 1070, 13, &S::mpegResolution);
        row("MPEG1 frame rate", FORMAT_MPEG1, 1071, 5, &S::mpegFrameRate);
        row("MPEG1 aspect", FORMAT_MPEG1, 1078, 3, &S::mpegAspectRatio);
        row("VCD aspect", FORMAT_VCD, 1078, 0, &S::dvdAspectRatio);
    }
    void picksLandInTheirOwnField() {
        QFETCH(int, format);
        QFETCH(int, id);
        QFETCH(int, position);
        QFETCH(ConversionSettings, expected);
        CSettingsDlg dlg(With(FORMAT_AVI));
        Pick(Combo(dlg, 1066), format);
        Pick(Combo(dlg, id), position);
        QCOMPARE(dlg.Settings(), expected);
    }

    void volumeLabelFollowsMouseAndKeys_data() {
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QList<int>>("keys"); // pressed from 25
        QTest::newRow("0") << 0 << "-20db" << QList<int>{Qt::Key_Home};
        QTest::newRow("19") << 19 << "-1db" << QList<int>(6, Qt::Key_Left);
        QTest::newRow("20") << 20 << "+0db" << QList<int>(5, Qt::Key_Left);
        QTest::newRow("21") << 21 << "+1db" << QList<int>(4, Qt::Key_Down);
        QTest::newRow("40") << 40 << "+20db" << QList<int>{Qt::Key_End};
    }
    void volumeLabelFollowsMouseAndKeys() {
        QFETCH(int, volume);
        QFETCH(QString, label);
        QFETCH(QList<int>, keys);
        CSettingsDlg byKeys(With(FORMAT_AVI, {{&S::volume, 25}}));
        auto* slider = FindControl<QSlider>(&byKeys, 1073);
        for (int key : keys)
            QTest::keyClick(slider, Qt::Key(key));
        QCOMPARE(FindControl<QLabel>(&byKeys, 1074)->text(), label);
        QCOMPARE(byKeys.Settings().volume, volume);

        CSettingsDlg byMouse(With(FORMAT_AVI, {{&S::volume, 25}}));
        byMouse.show();
        slider = FindControl<QSlider>(&byMouse, 1073);
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = Qt::Horizontal;
        option.maximum = 40;
        option.sliderPosition = option.sliderValue = slider->value();
        const auto part = [&](QStyle::SubControl sc) {
            return slider->style()->subControlRect(QStyle::CC_Slider, &option, sc, slider);
        };
        const QRect handle = part(QStyle::SC_SliderHandle), groove = part(QStyle::SC_SliderGroove);
        const int span = groove.width() - handle.width();
        const int x = groove.x() + QStyle::sliderPositionFromValue(0, 40, volume, span) + handle.width() / 2;
        QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
        QTest::mouseMove(slider, QPoint(x, handle.center().y()));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, handle.center().y()));
        QCOMPARE(FindControl<QLabel>(&byMouse, 1074)->text(), label);
        QCOMPARE(byMouse.Settings().volume, volume);
    }

    void focusStartsOnTheFormat() {
        CSettingsDlg dlg(With(FORMAT_AVI));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(QApplication::focusWidget(), Combo(dlg, 1066));
    }
};

QTEST_MAIN(SettingsDlgTest)
#include "settings_dlg_test.moc"
