#include "mainwin/converter_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>

#include "app/conversion_settings.h"
#include "app/dialog_template.h"
#include "app/program_dir.h"
#include "app/prompts.h"
#include "app/skin.h"

CConverterDlg::CConverterDlg(Prompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts) {
    InitProgramResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/128.png")));

    StoredSettings stored = LoadSettings(GetProgramDir());
    conversionSettings = stored.settings;
    m_outputFolder = stored.outputFolder;
    m_programVersion = stored.programVersion;

    OnInitDialog();
}

CConverterDlg::~CConverterDlg() {
    std::string error;
    if (!SaveSettings(GetProgramDir(), conversionSettings, m_outputFolder, &error)) {
        const QString path = QString::fromStdString(OptionFilePath(GetProgramDir()));
        m_prompts.MessageBox(nullptr,
                             tr("The settings of this run could not be saved to %1: %2.\n"
                                "The file was left as it was.")
                                 .arg(path, QString::fromStdString(error)),
                             QString(), Prompts::OkButton, Prompts::WarningIcon);
    }
}

void CConverterDlg::OnInitDialog() {
    setWindowTitle(QStringLiteral("Quor Zodi Converter"));
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 429, 285)).size());

    auto* folderLabel = new QLabel(tr("Output folder"), this);
    PlaceInDialogUnits(this, folderLabel, 15, 230, 57, 8);

    m_outputFolderEdit = new QLineEdit(this);
    SetControlId(m_outputFolderEdit, IDC_OUTPUT_FOLDER);
    m_outputFolderEdit->setMaxLength(255);
    PlaceInDialogUnits(this, m_outputFolderEdit, 78, 228, 263, 12);
    m_outputFolderEdit->setText(QString::fromStdString(m_outputFolder));
}

bool CConverterDlg::OnCommand(int id) {
    return m_commands.Route(id);
}
