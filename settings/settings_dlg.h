#pragma once

#include <QDialog>

#include "settings/conversion_settings.h"
#include "settings/output_profiles.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

// Output Settings: every output choice except the folder. The dialog edits a copy of the settings it was made
// from; every pick lands in the copy at once, and the caller takes Settings() back only when the dialog ends
// accepted ("Ok"). Cancel, Escape and the close box throw the copy away.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    enum Id {
        IDD = 166,
        IDOK = 1,
        IDCANCEL = 2,
        IDC_OUTPUT_FORMAT = 1066,
        IDC_QUALITY = 1067,
        IDC_VIDEO_CODEC = 1068,
        IDC_AUDIO_CODEC = 1069,
        IDC_RESOLUTION = 1070,
        IDC_FRAME_RATE = 1071,
        IDC_LETTERBOX = 1072,
        IDC_VOLUME = 1073,
        IDC_VOLUME_LABEL = 1074,
        IDC_TV_MODE = 1077,
        IDC_ASPECT_RATIO = 1078,
    };

    explicit CSettingsDlg(const ConversionSettings& current, QWidget* parent = nullptr);

    // The edited copy; after "Ok" it holds the letter-box check box as well.
    const ConversionSettings& Settings() const { return m_edit; }

    // "Ok": takes the letter box from its check box, then ends the dialog.
    void accept() override;

private:
    void CreateControls();
    void OnInitDialog();

    void FillFormatLists();
    void FillQuality();
    void FillCodecs();
    void FillTvMode();
    void FillResolution();
    void FillFrameRate();
    void FillAspect();
    void InitVolume();
    void ShowCopyState();

    void OnFormatPicked(int position);
    void OnTvModePicked(int position);
    // A pick in the list of `kind`: stored in the field that list is bound to under the current format.
    void StorePick(SettingKind kind, int position);
    void OnVolumeMoved(int position);

    ConversionSettings m_edit;
    QComboBox* m_format = nullptr;
    QComboBox* m_quality = nullptr;
    QComboBox* m_videoCodec = nullptr;
    QComboBox* m_audioCodec = nullptr;
    QComboBox* m_resolution = nullptr;
    QComboBox* m_frameRate = nullptr;
    QComboBox* m_tvMode = nullptr;
    QComboBox* m_aspect = nullptr;
    QSlider* m_volume = nullptr;
    QLabel* m_volumeLabel = nullptr;
    QCheckBox* m_letterbox = nullptr;
};
