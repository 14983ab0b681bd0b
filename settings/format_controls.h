#pragma once

#include <QObject>

#include "settings/conversion_settings.h"

class QComboBox;
class QWidget;

// The main window's quick format controls: output format, TV mode and aspect ratio, with their labels. They hold
// no state of their own: every pick is written straight into the settings, and the selections shown are the
// settings' fields.
class CFormatControls : public QObject {
public:
    enum Id { IDC_OUTPUT_FORMAT = 1066, IDC_TV_MODE = 1067, IDC_ASPECT_RATIO = 1069 };

    // Creates the controls in `dialog` at their template positions; they show nothing chosen until Sync().
    CFormatControls(ConversionSettings& settings, QWidget* dialog);

    // Shows what the settings hold: the format, then SyncTvModeCombo and FillMainAspectCombo.
    void Sync();
    // Selects `tvMode`; the list is enabled for the disc formats only.
    void SyncTvModeCombo();
    // The aspect list of the current format: four entries for plain MPEG, the disc formats' two otherwise
    // (disabled, yet showing the stored disc aspect, outside plain MPEG and the disc formats).
    void FillMainAspectCombo();

private:
    void OnFormatPicked(int position);
    void OnAspectPicked(int position);

    ConversionSettings& m_settings;
    QComboBox* m_format = nullptr;
    QComboBox* m_tvMode = nullptr;
    QComboBox* m_aspect = nullptr;
};
