#pragma once

#include <memory>

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class Prompts;
class TipsReader;

// Tip of the Day: one tip at a time from `tips.txt` beside the program, continuing at every showing where
// the last one stopped. Making the dialog already reads a tip and moves the stored place on, whether or not
// it is then shown.
class CTipOfDayDlg : public QDialog {
    Q_OBJECT
public:
    enum Id { IDD = 137, IDOK = 1, IDC_TIPSTRING = 1042, IDC_STARTUP = 1043, IDC_NEXTTIP = 1044, IDC_BULB = 1045 };

    // Reads the tip from the program's folder and the place from the application profile; `prompts` tells
    // the user when the file cannot be read.
    explicit CTipOfDayDlg(Prompts& prompts, QWidget* parent = nullptr);
    // Stores the place of the next tip.
    ~CTipOfDayDlg() override;

    // Whether the profile asks for the dialog at start-up.
    bool ShowAtStartup() const;
    // The tip on the panel, as read from the file.
    QString TipText() const;

    // "&Close": ends the dialog and stores the check box for the next start-up. Escape stores nothing.
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnNextTip();
    void TellTrouble();

    Prompts& m_prompts;
    std::unique_ptr<TipsReader> m_reader;
    QLabel* m_panel = nullptr;
    QLabel* m_tipString = nullptr;
    QCheckBox* m_startup = nullptr;
    QPushButton* m_nextTip = nullptr;
};
