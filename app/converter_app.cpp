#include "app/converter_app.h"

#include <QTimer>

#include "settings/program_dir.h"
#include "controls/prompts.h"
#include "controls/skin.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/kept_list.h"
#include "mainwin/tip_of_day_dlg.h"

CConverterApp::CConverterApp(Prompts* prompts) : m_prompts(prompts), m_ownsPrompts(prompts == nullptr) {
    if (m_ownsPrompts)
        m_prompts = new QtPrompts(QString::fromStdString(GetApplicationName()));
}

CConverterApp::~CConverterApp() {
    if (m_ownsPrompts)
        delete m_prompts;
}

void ApplyProgramSkin() {
    Skin::Init(QStringLiteral("Quor Zodi Converter"), QStringLiteral("QZC-1"));
    Skin::LoadFromResource(QStringLiteral("VELDA_SKIN"), QStringLiteral("SKINMAGIC"));
    Skin::SetDialogSkin(QStringLiteral("Dialog"));
}

bool CConverterApp::InitInstance() {
    ApplyProgramSkin();

    ShowTipOfTheDayAtStartup();

    {
        CConverterDlg dlg(m_settings, *m_prompts);
        // The last run's list first; the command line's files come after it.
        const QStringList leftOut = dlg.KeepListIn(KeptListFile());
        // Once the window shows, so that a message has a window to report in.
        QTimer::singleShot(0, &dlg, [this, &dlg, leftOut] {
            dlg.ReportLeftOut(leftOut);
            if (!m_startupFiles.empty())
                dlg.AddFiles(m_startupFiles);
        });
        dlg.exec();
    } // the dialog saves the settings as it goes
    return false;
}

int CConverterApp::ExitInstance() {
    Skin::Exit();
    return 0;
}

void CConverterApp::ShowTipOfTheDayAtStartup() {
    // Made even when it is not shown: making it moves the stored place on to the next tip.
    CTipOfDayDlg tip(*m_prompts);
    if (tip.ShowAtStartup())
        tip.exec();
}
