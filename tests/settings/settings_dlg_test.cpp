#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QtTest>

#include "controls/dialog_template.h"
#include "settings/output_profiles.h"
#include "settings/settings_dlg.h"
#include "support/combo_pick.h"

using S = ConversionSettings;
Q_DECLARE_METATYPE(ConversionSettings)

namespace {

// The first-run settings (option.ini missing) with `format` and `fields` changed.
ConversionSettings With(int format, std::initializer_list<std::pair<SettingsField, int>> fields = {}) {
    ConversionSettings s = SettingsFromText("");
    s.outputFormat = format;
    for (const auto& [field, value] : fields)
        s.*field = value;
    return s;
}

// What the lists `ids` show, in order: the selected text ("" for none), in brackets when the user cannot change it.
QString Shown(const CSettingsDlg& dlg, const QList<int>& ids) {
    QStringList shown;
    for (int id : ids) {
        const auto* combo = FindControl<QComboBox>(&dlg, id);
        shown << (!combo ? "no list" : combo->isEnabled() ? combo->currentText() : "[" + combo->currentText() + "]");
    }
    return shown.join(" | ");
}

} // namespace

class SettingsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheStoredChoices_data() {
        QTest::addColumn<ConversionSettings>("stored");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QString>("shown");
        QTest::newRow("DVD, PAL") << With(FORMAT_DVD, {{&S::tvMode, 1}})
                                  << QList<int>{1066, 1077, 1070, 1071, 1068, 1069, 1078}
                                  << "DVD compatible MPEG2 Format (*.vob) | PAL | [720 x 576] | [25.0 fps] | [MPEG2] | "
                                     "AC3 | 16:9   (Wide screen TV)";
        // Hand-edited positions outside their lists: no selection, no clamping.
        QTest::newRow("MPEG1 quality 7") << With(FORMAT_MPEG1, {{&S::mpeg1Quality, 7}}) << QList<int>{1067, 1070}
                                         << " | Original";
        QTest::newRow("SVCD, TV mode 2") << With(FORMAT_SVCD, {{&S::tvMode, 2}}) << QList<int>{1077, 1070, 1071}
                                         << " | [] | []";
        QTest::newRow("WMV resolution -1")
            << With(FORMAT_WMV, {{&S::aviResolution, -1}, {&S::wmvAudioCodec, 9}}) << QList<int>{1070, 1069} << " | ";
        QTest::newRow("MP4, H.265, 59.94")
            << With(FORMAT_MP4, {{&S::mp4VideoCodec, 1}, {&S::mp4AudioCodec, 1}, {&S::hdFrameRate, 7}})
            << QList<int>{1066, 1067, 1068, 1069, 1070, 1071, 1077, 1078}
            << "MP4 Format (*.mp4) | 4.Standard (web, laptops and TV) | H.265 (HEVC) | Copy (no re-encoding) | "
               "Original | 59.94 fps | [None] | [None]";
        QTest::newRow("WebM") << With(FORMAT_WEBM) << QList<int>{1068, 1069} << "VP9 | [Opus]";
        QTest::newRow("no such format") << With(kFormatCount) << QList<int>{1066, 1067, 1077} << " | [] | []";
    }
    void opensWithTheStoredChoices() {
        QFETCH(ConversionSettings, stored);
        QFETCH(QList<int>, ids);
        QFETCH(QString, shown);
        CSettingsDlg dlg(stored);
        QCOMPARE(Shown(dlg, ids), shown);
        // "Ok" untouched gives back exactly what was stored.
        dlg.accept();
        QCOMPARE(dlg.Settings(), stored);
    }

    void switchingTheFormatRefillsEveryList() {
        CSettingsDlg dlg(With(FORMAT_AVI, {{&S::volume, 27}, {&S::letterbox, 1}}));
        Pick(FindControl<QComboBox>(&dlg, 1066), FORMAT_WMV);
        QCOMPARE(Shown(dlg, {1077, 1071, 1078, 1068, 1070, 1069}),
                 "[None] | [Auto] | [None] | [WMV8] | Original | WMAv2");
        QCOMPARE(FindControl<QComboBox>(&dlg, 1070)->count(), 20);
        QCOMPARE(FindControl<QComboBox>(&dlg, 1069)->count(), 2);
        // Volume and letter box are the same for every format; the label follows the handle.
        QCOMPARE(FindControl<QLabel>(&dlg, 1074)->text(), QStringLiteral("+7db"));
        for (int i = 0; i < 8; ++i)
            QTest::keyClick(FindControl<QSlider>(&dlg, 1073), Qt::Key_Left);
        QCOMPARE(FindControl<QLabel>(&dlg, 1074)->text(), QStringLiteral("-1db"));
        auto* letterbox = FindControl<QCheckBox>(&dlg, 1072);
        QVERIFY(letterbox->isChecked());
        letterbox->click();
        dlg.accept();
        QCOMPARE(dlg.Settings(), With(FORMAT_WMV, {{&S::volume, 19}, {&S::letterbox, 0}}));
    }

    void ntscChangesFrameSizeAndRateAtOnce() {
        CSettingsDlg dlg(With(FORMAT_DVD, {{&S::tvMode, 1}}));
        Pick(FindControl<QComboBox>(&dlg, 1077), 0);
        QCOMPARE(Shown(dlg, {1077, 1070, 1071}), "NTSC | [720 x 480] | [29.97 fps]");
        QCOMPARE(dlg.Settings(), With(FORMAT_DVD, {{&S::tvMode, 0}}));
    }

    // A pick lands in the field of the current format and nowhere else, also where formats share a list.
    void picksLandInTheirOwnField() {
        const std::tuple<int, int, int, SettingsField> picks[] = {
            {FORMAT_ASF, 1069, 0, &S::asfAudioCodec},     {FORMAT_WMV, 1069, 0, &S::wmvAudioCodec},
            {FORMAT_ZODI, 1069, 1, &S::zodiAudioCodec},   {FORMAT_AVI, 1069, 1, &S::aviAudioCodec},
            {FORMAT_ASF, 1068, 2, &S::asfVideoCodec},     {FORMAT_VCD, 1067, 0, &S::mpeg1Quality},
            {FORMAT_ASF, 1067, 8, &S::wmvQuality},        {FORMAT_WMV, 1070, 14, &S::aviResolution},
            {FORMAT_MPEG2, 1070, 13, &S::mpegResolution}, {FORMAT_MPEG1, 1071, 5, &S::mpegFrameRate},
            {FORMAT_MPEG1, 1078, 3, &S::mpegAspectRatio}, {FORMAT_VCD, 1078, 0, &S::dvdAspectRatio},
            {FORMAT_MP4, 1068, 1, &S::mp4VideoCodec},     {FORMAT_MKV, 1068, 2, &S::mkvVideoCodec},
            {FORMAT_MKV, 1069, 1, &S::mkvAudioCodec},     {FORMAT_WEBM, 1067, 5, &S::webmQuality},
            {FORMAT_MP4, 1070, 4, &S::hdResolution},      {FORMAT_WEBM, 1071, 8, &S::hdFrameRate},
        };
        for (const auto& [format, id, position, field] : picks) {
            CSettingsDlg dlg(With(FORMAT_AVI));
            Pick(FindControl<QComboBox>(&dlg, 1066), format);
            Pick(FindControl<QComboBox>(&dlg, id), position);
            QVERIFY2(dlg.Settings() == With(format, {{field, position}}),
                     qPrintable(QString("%1/%2").arg(format).arg(id)));
        }
    }

    // "Copy (no re-encoding)" greys out what a copy can't change, and brings back the stored picks when left.
    void copyGreysOutWhatItCantChange() {
        CSettingsDlg dlg(With(FORMAT_MP4, {{&S::hdResolution, 3}, {&S::hdFrameRate, 3}}));
        const std::tuple<int, int, const char*> steps[] = {
            // list, pick, then resolution | frame rate, letter box and volume enabled
            {1068, 2, "[Original] | [Original] 0 1"}, {1069, 1, "[Original] | [Original] 0 0"},
            {1068, 0, "1280 x 720 | 25.0 fps 1 0"},   {1066, FORMAT_MKV, "1280 x 720 | 25.0 fps 1 1"},
            {1068, 3, "[Original] | [Original] 0 1"}, // MKV's copy is its fourth entry
        };
        for (const auto& [id, pick, shown] : steps) {
            Pick(FindControl<QComboBox>(&dlg, id), pick);
            QCOMPARE(QString("%1 %2 %3")
                         .arg(Shown(dlg, {1070, 1071}))
                         .arg(FindControl<QCheckBox>(&dlg, 1072)->isEnabled())
                         .arg(FindControl<QSlider>(&dlg, 1073)->isEnabled()),
                     QString(shown));
        }
        QCOMPARE(dlg.Settings().hdResolution, 3);
    }

    // A stored volume beyond the slider's ends is labelled where the handle stands, and kept until it is moved.
    void volumeBeyondTheSliderIsLabelledAtItsEnd() {
        for (const auto& [stored, label] : {std::pair{2147483647, "+20db"}, std::pair{-7, "-20db"}}) {
            CSettingsDlg dlg(With(FORMAT_AVI, {{&S::volume, stored}}));
            QCOMPARE(FindControl<QLabel>(&dlg, 1074)->text(), QString(label));
            QCOMPARE(dlg.Settings().volume, stored);
        }
    }

    void focusStartsOnTheFormat() {
        CSettingsDlg dlg(With(FORMAT_AVI));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(QApplication::focusWidget(), FindControl<QComboBox>(&dlg, 1066));
    }
};

QTEST_MAIN(SettingsDlgTest)
#include "settings_dlg_test.moc"
