#include "settings/format_controls.h"

#include <QComboBox>
#include <QLabel>

#include "controls/dialog_template.h"
#include "settings/choice_combo.h"
#include "settings/output_profiles.h"

namespace {

// The list the main window shows for `format`: plain MPEG has its own; every other format gets the disc
// formats' list, which is only enabled for them.
ChoiceList MainAspectList(int format) {
    ChoiceList list = GetChoiceList(IsPlainMpeg(format) ? format : FORMAT_DVD, SettingKind::Aspect);
    list.enabled = IsPlainMpeg(format) || IsDiscFormat(format);
    return list;
}

} // namespace

CFormatControls::CFormatControls(ConversionSettings& settings, QWidget* dialog)
    : QObject(dialog), m_settings(settings) {
    struct LabelSpec {
        const char* text;
        QRect dlu;
    };
    for (const LabelSpec& spec : {LabelSpec{"TV mode", {15, 270, 29, 8}}, LabelSpec{"Output format", {15, 251, 53, 8}},
                                  LabelSpec{"Aspect ratio", {186, 270, 49, 8}}}) {
        auto* label = new QLabel(QString::fromLatin1(spec.text), dialog);
        PlaceInDialogUnits(dialog, label, spec.dlu.x(), spec.dlu.y(), spec.dlu.width(), spec.dlu.height());
        label->adjustSize(); // fonts here run wider than the template's; a label must not lose letters
    }

    m_format = MakeDropDownList(dialog, IDC_OUTPUT_FORMAT, 78, 247, 263);
    for (const std::string& text : FormatTexts())
        m_format->addItem(QString::fromStdString(text));
    FitPopupToEntries(m_format);
    m_aspect = MakeDropDownList(dialog, IDC_ASPECT_RATIO, 249, 267, 92);
    m_tvMode = MakeDropDownList(dialog, IDC_TV_MODE, 78, 267, 92);
    // "NTSC", "PAL": never rebuilt, so a position is the `tvMode` value under every format.
    for (const std::string& text : GetChoiceList(FORMAT_DVD, SettingKind::TvMode).texts)
        m_tvMode->addItem(QString::fromStdString(text));

    // User picks only: refreshing a list never writes back.
    connect(m_format, &QComboBox::activated, this, &CFormatControls::OnFormatPicked);
    connect(m_tvMode, &QComboBox::activated, this, [this](int position) { m_settings.tvMode = position; });
    connect(m_aspect, &QComboBox::activated, this, &CFormatControls::OnAspectPicked);
}

void CFormatControls::Sync() {
    SelectPosition(m_format, m_settings.outputFormat);
    SyncTvModeCombo();
    FillMainAspectCombo();
}

void CFormatControls::SyncTvModeCombo() {
    SelectPosition(m_tvMode, m_settings.tvMode);
    m_tvMode->setEnabled(IsDiscFormat(m_settings.outputFormat));
}

void CFormatControls::FillMainAspectCombo() {
    ShowChoiceList(m_aspect, MainAspectList(m_settings.outputFormat), m_settings);
}

void CFormatControls::OnFormatPicked(int position) {
    m_settings.outputFormat = position;
    SyncTvModeCombo();
    FillMainAspectCombo();
}

void CFormatControls::OnAspectPicked(int position) {
    m_settings.*MainAspectList(m_settings.outputFormat).field = position;
}
