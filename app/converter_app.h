#pragma once

#include <string>
#include <vector>

#include "settings/conversion_settings.h"

class Prompts;

// Readies the program's skin and applies it to every dialog of the process from now on, as a run does first.
void ApplyProgramSkin();

// Owns the process from start to end: readies the skin, runs the main dialog modally (which loads the
// settings when it is made and saves them when it goes), and shuts the skin down.
class CConverterApp {
public:
    // `prompts` shows every message box and picker of the run; null means the real Qt dialogs.
    explicit CConverterApp(Prompts* prompts = nullptr);
    ~CConverterApp();

    // Files to add to the list once the main window is up, as if picked with Add (the files named on the
    // command line, or those a desktop's "open with" passes), as the bytes of their names.
    void SetStartupFiles(std::vector<std::string> files) { m_startupFiles = std::move(files); }

    // The whole run: returns false once the main dialog has ended, so no message loop of our own follows.
    bool InitInstance();
    // Shuts the skin down; answers the process exit code.
    int ExitInstance();

private:
    // The tip of the day before the main window, unless the user switched it off. The one place that decides
    // it: a run that converts from the command line must never call it.
    void ShowTipOfTheDayAtStartup();

    // The run's one settings record: the main dialog loads it, its controls edit it, the batch reads it.
    ConversionSettings m_settings;
    Prompts* m_prompts;
    bool m_ownsPrompts;
    std::vector<std::string> m_startupFiles;
};
