#pragma once

#include <string>

#include <QDialog>

#include "app/command_target.h"

class QLineEdit;
class Prompts;

// The program's main window.
class CConverterDlg : public QDialog, public CommandTarget {
    Q_OBJECT
public:
    // Template ids of the controls.
    enum Id {
        IDD = 102,
        IDC_OUTPUT_FOLDER = 1018,
    };

    // Loads the settings of the run (option.ini and version.ini beside the program).
    explicit CConverterDlg(Prompts& prompts, QWidget* parent = nullptr);
    // Saves the settings; tells the user when they cannot be written.
    ~CConverterDlg() override;

    bool OnCommand(int id) override;

    const std::string& outputFolder() const { return m_outputFolder; }
    const std::string& programVersion() const { return m_programVersion; }

private:
    void OnInitDialog();

    Prompts& m_prompts;
    CommandRouter m_commands;
    std::string m_outputFolder;
    std::string m_programVersion;
    QLineEdit* m_outputFolderEdit = nullptr;
};
