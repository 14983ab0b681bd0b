#include "settings/settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "controls/dialog_template.h"
#include "settings/choice_combo.h"

namespace {

constexpr int kVolumeMax = 40;

// The drop-down lists in template order, which is also the Tab order.
struct ListSpec {
    int id;
    const char* label;
    QRect labelDlu;
    QPoint at;
    int width;
};
const ListSpec kLists[] = {
    {CSettingsDlg::IDC_OUTPUT_FORMAT, "Output format", {12, 10, 43, 8}, {65, 8}, 198},
    {CSettingsDlg::IDC_QUALITY, "Output quality", {12, 28, 43, 8}, {65, 26}, 198},
    {CSettingsDlg::IDC_VIDEO_CODEC, "Video codec", {12, 46, 39, 8}, {65, 44}, 65},
    {CSettingsDlg::IDC_AUDIO_CODEC, "Audio codec", {149, 46, 39, 8}, {198, 44}, 65},
    {CSettingsDlg::IDC_RESOLUTION, "Resolution", {12, 64, 35, 8}, {65, 62}, 65},
    {CSettingsDlg::IDC_FRAME_RATE, "Frame rate", {149, 64, 35, 8}, {198, 62}, 65},
    {CSettingsDlg::IDC_TV_MODE, "TV mode", {12, 82, 29, 8}, {65, 80}, 65},
    {CSettingsDlg::IDC_ASPECT_RATIO, "Aspect ratio", {149, 82, 38, 8}, {198, 80}, 65},
};

// A button keeps its template place, grown about its centre where the font needs more room than the template gives.
void PlaceButton(QWidget* dialog, QPushButton* button, const QRect& dlu) {
    PlaceInDialogUnits(dialog, button, dlu.x(), dlu.y(), dlu.width(), dlu.height());
    const int extra = button->sizeHint().width() - button->width();
    if (extra > 0)
        button->setGeometry(button->x() - extra / 2, button->y(), button->width() + extra, button->height());
}

QLabel* Label(QWidget* dialog, const char* text, const QRect& dlu) {
    auto* label = new QLabel(QString::fromLatin1(text), dialog);
    PlaceInDialogUnits(dialog, label, dlu.x(), dlu.y(), dlu.width(), dlu.height());
    label->adjustSize(); // fonts here run wider than the template's; a label must not lose letters
    return label;
}

} // namespace

CSettingsDlg::CSettingsDlg(const ConversionSettings& current, QWidget* parent) : QDialog(parent), m_edit(current) {
    setWindowTitle(QStringLiteral("Output Settings"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    setFont(font);
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 279, 151)).size());

    CreateControls();
    OnInitDialog();
}

void CSettingsDlg::CreateControls() {
    QComboBox** members[] = {&m_format,     &m_quality,   &m_videoCodec, &m_audioCodec,
                             &m_resolution, &m_frameRate, &m_tvMode,     &m_aspect};
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        const ListSpec& spec = kLists[i];
        Label(this, spec.label, spec.labelDlu);
        *members[i] = MakeDropDownList(this, spec.id, spec.at.x(), spec.at.y(), spec.width);
    }
    // The format list is the template's own: the dialog never refills it.
    for (const std::string& text : FormatTexts())
        m_format->addItem(QString::fromStdString(text));
    FitPopupToEntries(m_format);

    connect(m_format, &QComboBox::activated, this, &CSettingsDlg::OnFormatPicked);
    connect(m_tvMode, &QComboBox::activated, this, &CSettingsDlg::OnTvModePicked);
    const std::pair<QComboBox*, SettingKind> stored[] = {
        {m_quality, SettingKind::Quality},       {m_videoCodec, SettingKind::VideoCodec},
        {m_audioCodec, SettingKind::AudioCodec}, {m_resolution, SettingKind::Resolution},
        {m_frameRate, SettingKind::FrameRate},   {m_aspect, SettingKind::Aspect},
    };
    for (const auto& [combo, kind] : stored)
        connect(combo, &QComboBox::activated, this, [this, kind = kind](int position) { StorePick(kind, position); });

    Label(this, "Volume", {12, 101, 25, 8});
    m_volume = new QSlider(Qt::Horizontal, this);
    SetControlId(m_volume, IDC_VOLUME);
    m_volume->setTickPosition(QSlider::NoTicks);
    PlaceInDialogUnits(this, m_volume, 62, 101, 70, 9);
    // Mouse drags, clicks and keys all arrive here, as a track bar's scroll notifications do.
    connect(m_volume, &QSlider::valueChanged, this, &CSettingsDlg::OnVolumeMoved);
    m_volumeLabel = new QLabel(QStringLiteral("+0db"), this);
    SetControlId(m_volumeLabel, IDC_VOLUME_LABEL);
    PlaceInDialogUnits(this, m_volumeLabel, 149, 100, 38, 8);

    m_letterbox = new QCheckBox(QStringLiteral("Add letter box to keep aspect ratio"), this);
    SetControlId(m_letterbox, IDC_LETTERBOX);
    PlaceInDialogUnits(this, m_letterbox, 64, 113, 121, 10);
    m_letterbox->adjustSize();

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    PlaceInDialogUnits(this, line, 7, 129, 263, 1);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    SetControlId(ok, IDOK);
    PlaceButton(this, ok, {173, 135, 35, 12});
    ok->setDefault(true); // Enter away from the buttons means "Ok", as in any dialog
    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    SetControlId(cancel, IDCANCEL);
    PlaceButton(this, cancel, {220, 135, 35, 12});
    connect(cancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
}

// Every list whose entries follow the format.
void CSettingsDlg::FillFormatLists() {
    FillQuality();
    FillCodecs();
    FillTvMode();
    FillResolution();
    FillFrameRate();
    FillAspect();
    ShowCopyState();
}

// A copied stream takes no settings: the letter box goes with the video, the volume with the audio.
void CSettingsDlg::ShowCopyState() {
    m_letterbox->setEnabled(!CopiesVideo(m_edit));
    m_volume->setEnabled(!CopiesAudio(m_edit));
    m_volumeLabel->setEnabled(!CopiesAudio(m_edit));
}

void CSettingsDlg::OnInitDialog() {
    SelectPosition(m_format, m_edit.outputFormat);
    m_letterbox->setChecked(m_edit.letterbox != 0);
    FillFormatLists();
    InitVolume();
    m_format->setFocus(Qt::OtherFocusReason);
}

void CSettingsDlg::accept() {
    m_edit.letterbox = m_letterbox->isChecked() ? 1 : 0;
    QDialog::accept();
}

void CSettingsDlg::FillQuality() {
    ShowChoiceList(m_quality, GetChoiceList(m_edit, SettingKind::Quality), m_edit);
}

void CSettingsDlg::FillCodecs() {
    ShowChoiceList(m_videoCodec, GetChoiceList(m_edit, SettingKind::VideoCodec), m_edit);
    ShowChoiceList(m_audioCodec, GetChoiceList(m_edit, SettingKind::AudioCodec), m_edit);
}

void CSettingsDlg::FillTvMode() {
    ShowChoiceList(m_tvMode, GetChoiceList(m_edit, SettingKind::TvMode), m_edit);
}

void CSettingsDlg::FillResolution() {
    ShowChoiceList(m_resolution, GetChoiceList(m_edit, SettingKind::Resolution), m_edit);
}

void CSettingsDlg::FillFrameRate() {
    ShowChoiceList(m_frameRate, GetChoiceList(m_edit, SettingKind::FrameRate), m_edit);
}

void CSettingsDlg::FillAspect() {
    ShowChoiceList(m_aspect, GetChoiceList(m_edit, SettingKind::Aspect), m_edit);
}

void CSettingsDlg::InitVolume() {
    // A stored volume outside 0..40 puts the handle at the nearer end, and the label names where the handle
    // stands (the stored number would not fit); the value stays as stored until the user moves the handle.
    const QSignalBlocker quiet(m_volume);
    m_volume->setRange(0, kVolumeMax);
    m_volume->setValue(m_edit.volume);
    m_volumeLabel->setText(QString::fromStdString(FormatVolumeLabel(m_volume->value())));
}

void CSettingsDlg::OnFormatPicked(int position) {
    m_edit.outputFormat = position;
    // Volume and letter box are the same for every format.
    FillFormatLists();
}

void CSettingsDlg::OnTvModePicked(int position) {
    m_edit.tvMode = position;
    // The disc formats' frame size and rate follow the TV mode.
    FillResolution();
    FillFrameRate();
}

void CSettingsDlg::StorePick(SettingKind kind, int position) {
    if (SettingsField field = BindingField(m_edit.outputFormat, kind))
        m_edit.*field = position;
    if (kind == SettingKind::VideoCodec || kind == SettingKind::AudioCodec) {
        // Choosing or leaving "Copy (no re-encoding)" greys out or brings back what a copy can't change.
        FillResolution();
        FillFrameRate();
        ShowCopyState();
    }
}

void CSettingsDlg::OnVolumeMoved(int position) {
    m_edit.volume = position;
    m_volumeLabel->setText(QString::fromStdString(FormatVolumeLabel(position)));
}
