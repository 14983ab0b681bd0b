#include "mainwin/converter_dlg.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "settings/conversion_settings.h"
#include "controls/dialog_template.h"
#include "controls/image_button.h"
#include "controls/link_opener.h"
#include "settings/program_dir.h"
#include "settings/settings_location.h"
#include "controls/prompts.h"
#include "controls/skin.h"
#include "convert/batch_helpers.h"
#include "convert/encoder_reports.h"
#include "convert/progress_dialog.h"
#include "mainwin/about_dlg.h"
#include "mainwin/help_window.h"
#include "mainwin/list_progress.h"
#include "mainwin/tip_of_day_dlg.h"
#include "mainwin/video_file_list.h"
#include "settings/format_controls.h"
#include "settings/settings_dlg.h"

namespace {

// `folder` with "~" and relative paths taken from the home folder; an empty text stays empty.
QString AbsoluteFolder(const QString& folder) {
    if (folder.isEmpty())
        return folder;
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        return QDir::homePath() + folder.mid(1);
    if (QDir::isRelativePath(folder))
        return QDir::homePath() + QLatin1Char('/') + folder;
    return folder;
}

struct ButtonSpec {
    int id;
    const char* text;
    int icon;
    bool large; // its icon asked at 48 x 48; the others come at their own size
    const char* hint;
    QRect dlu;
};

// The tool bar and the list's small buttons.
const ButtonSpec kImageButtons[] = {
    {CConverterDlg::IDC_ADD, "Add", 160, true, "Add video files to the list", {15, 3, 51, 44}},
    {CConverterDlg::IDC_CONVERT, "Convert", 162, true, "Start converting", {78, 3, 51, 44}},
    {CConverterDlg::IDC_SETTINGS, "Settings", 165, true, "Settings...", {141, 3, 51, 44}},
    {CConverterDlg::IDC_HELP, "Help", 150, false, "About,help,home page,tip of the day.", {217, 3, 51, 44}},
    {CConverterDlg::IDC_ADD_SMALL, "", 145, false, "Add video files to the list", {405, 68, 18, 17}},
    {CConverterDlg::IDC_REMOVE, "", 146, false, "Remove the selected video file", {405, 95, 18, 17}},
    {CConverterDlg::IDC_MOVE_UP, "", 147, false, "Move the selected video file up", {405, 122, 18, 17}},
    {CConverterDlg::IDC_MOVE_DOWN, "", 148, false, "Move the selected video file down", {405, 149, 18, 17}},
};

// Commands that change the list or start a batch; they wait while a probe runs.
bool ChangesTheList(int id) {
    switch (id) {
    case CConverterDlg::IDC_ADD:
    case CConverterDlg::IDC_ADD_SMALL:
    case CConverterDlg::ID_LIST_ADD:
    case CConverterDlg::ID_LIST_ADD_FOLDER:
    case CConverterDlg::IDC_REMOVE:
    case CConverterDlg::ID_LIST_REMOVE:
    case CConverterDlg::IDC_MOVE_UP:
    case CConverterDlg::ID_LIST_MOVE_UP:
    case CConverterDlg::IDC_MOVE_DOWN:
    case CConverterDlg::ID_LIST_MOVE_DOWN:
    case CConverterDlg::IDC_CONVERT:
    case CConverterDlg::IDC_CONVERT_BUTTON:
    case CConverterDlg::ID_LIST_CONVERT_FAILED:
    case CConverterDlg::ID_LIST_REMOVE_CONVERTED:
        return true;
    default:
        return false;
    }
}

QFrame* Line(QWidget* parent, QFrame::Shape shape) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

CConverterDlg::CConverterDlg(ConversionSettings& settings, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompts(prompts), m_encoder(GetProgramDir() + "zezozov"),
      m_cursorPos([] { return QCursor::pos(); }) {
    InitProgramResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/128.png")));

    m_settingsFolder = SettingsFolder();
    StoredSettings stored = LoadSettings(GetProgramDir(), m_settingsFolder);
    m_settings = stored.settings;
    m_outputFolder = stored.outputFolder;
    m_programVersion = stored.programVersion;

    OnInitDialog();
}

CConverterDlg::~CConverterDlg() {
    delete m_progressWindow;
    m_progressWindow = nullptr;
    delete m_helpWindow;
    m_helpWindow = nullptr;

    std::string error;
    if (m_settingsFolder != GetProgramDir())
        QDir().mkpath(QString::fromStdString(m_settingsFolder)); // the first save of an installed program
    if (!SaveSettings(m_settingsFolder, m_settings, m_outputFolder, &error)) {
        const QString path = QString::fromStdString(OptionFilePath(m_settingsFolder));
        m_prompts.MessageBox(nullptr,
                             tr("The settings of this run could not be saved to %1: %2.\n"
                                "The file was left as it was.")
                                 .arg(path, QString::fromStdString(error)),
                             QString(), Prompts::OkButton, Prompts::WarningIcon);
    }
}

void CConverterDlg::OnInitDialog() {
    setWindowTitle(QStringLiteral("Quor Zodi Converter"));
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 429, 285)).size());

    CreateControls();
    RouteCommands();

    // The window menu's About item; there is no platform window menu to extend, so the window offers its
    // own on a right click on its background and on Alt+Space.
    auto* windowMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(windowMenuKey, &QShortcut::activated, this, [this] { ShowWindowMenu(mapToGlobal(QPoint(5, 5))); });

    m_fileList->SetUp();
    m_outputFolderEdit->setText(QString::fromStdString(m_outputFolder));
    m_files.totalDuration = 0;

    m_progressWindow = new CProgressDlg(this, m_prompts);
    m_progressWindow->hide();
    m_listProgress = std::make_unique<ListProgress>(*m_progressWindow, *m_fileList);
    m_batch = std::make_unique<ConversionBatch>(m_settings, m_files, m_prompts, this, *m_listProgress, m_encoder);
    connect(m_progressWindow, &CProgressDlg::cancelRequested, this, [this] { m_batch->RequestCancel(); });

    m_formatControls->Sync();
}

void CConverterDlg::CreateControls() {
    for (const ButtonSpec& spec : kImageButtons) {
        auto* button = new CImageButton(QString::fromLatin1(spec.text), this);
        SetControlId(button, spec.id);
        PlaceInDialogUnits(this, button, spec.dlu.x(), spec.dlu.y(), spec.dlu.width(), spec.dlu.height());
        const int size = spec.large ? 48 : 0; // 0: the icon's own size
        button->AssignIcons(spec.icon, size, size);
        button->AssignHint(QString::fromLatin1(spec.hint), true);
        button->UseParentBackground(false);
        button->SetImageAlignment(CImageButton::ALIGN_TOP, true);
        button->setAutoDefault(false); // no default button: Enter presses only the button that has the focus
        connect(button, &QPushButton::clicked, this, [this, id = spec.id] { OnCommand(id); });
    }

    QFrame* toolBarLine = Line(this, QFrame::HLine);
    PlaceInDialogUnits(this, toolBarLine, 15, 50, 384, 1);
    QFrame* helpSeparator = Line(this, QFrame::VLine);
    helpSeparator->setEnabled(false);
    PlaceInDialogUnits(this, helpSeparator, 204, 12, 1, 28);

    m_fileList = new CVideoFileList(this);
    SetControlId(m_fileList, IDC_FILE_LIST);
    PlaceInDialogUnits(this, m_fileList, 15, 55, 384, 163);
    connect(m_fileList, &QWidget::customContextMenuRequested, this, [this] { OnListContextMenu(); });
    connect(m_fileList, &CVideoFileList::filesDropped, this, [this](const QStringList& paths) {
        if (!m_probing && isEnabled())
            AddFiles(paths);
    });

    auto* folderLabel = new QLabel(tr("Output folder"), this);
    PlaceInDialogUnits(this, folderLabel, 15, 230, 57, 8);
    folderLabel->adjustSize(); // fonts here run wider than the template's; a label must not lose letters
    m_outputFolderEdit = new QLineEdit(this);
    SetControlId(m_outputFolderEdit, IDC_OUTPUT_FOLDER);
    // No length limit here: a longer folder is refused with its reason at Convert rather than cut short unseen.
    PlaceInDialogUnits(this, m_outputFolderEdit, 78, 228, 263, 12);

    struct PushSpec {
        int id;
        const char* text;
        QRect dlu;
    };
    const PushSpec pushButtons[] = {
        {IDC_CHANGE_FOLDER, "Change", {347, 227, 52, 13}},
        {IDC_SETTINGS_BUTTON, "Settings", {347, 247, 52, 13}},
        {IDC_CONVERT_BUTTON, "Convert", {347, 267, 52, 13}},
    };
    for (const PushSpec& spec : pushButtons) {
        // "Change" is an image button with nothing configured: no image, no tool tip, its own background.
        const QString text = QString::fromLatin1(spec.text);
        auto* button = spec.id == IDC_CHANGE_FOLDER ? new CImageButton(text, this) : new QPushButton(text, this);
        SetControlId(button, spec.id);
        button->setAutoDefault(false);
        PlaceInDialogUnits(this, button, spec.dlu.x(), spec.dlu.y(), spec.dlu.width(), spec.dlu.height());
        connect(button, &QPushButton::clicked, this, [this, id = spec.id] { OnCommand(id); });
    }

    m_formatControls = new CFormatControls(m_settings, this);
    SetTabOrder();
}

void CConverterDlg::SetTabOrder() {
    // The template's order, not the order the controls were made in.
    const int order[] = {IDC_ADD,          IDC_CONVERT,       IDC_SETTINGS,        IDC_HELP,
                         IDC_FILE_LIST,    IDC_OUTPUT_FOLDER, IDC_CHANGE_FOLDER,   IDC_ADD_SMALL,
                         IDC_REMOVE,       IDC_MOVE_UP,       IDC_MOVE_DOWN,       IDC_OUTPUT_FORMAT,
                         IDC_ASPECT_RATIO, IDC_TV_MODE,       IDC_SETTINGS_BUTTON, IDC_CONVERT_BUTTON};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(FindControl(this, order[i - 1]), FindControl(this, order[i]));
}

void CConverterDlg::RouteCommands() {
    for (int id : {int(IDC_ADD), int(IDC_ADD_SMALL), int(ID_LIST_ADD)})
        m_commands.Add(id, [this] { OnAddFiles(); });
    for (int id : {int(IDC_REMOVE), int(ID_LIST_REMOVE)})
        m_commands.Add(id, [this] { OnRemove(); });
    for (int id : {int(IDC_MOVE_UP), int(ID_LIST_MOVE_UP)})
        m_commands.Add(id, [this] { OnMove(-1); });
    for (int id : {int(IDC_MOVE_DOWN), int(ID_LIST_MOVE_DOWN)})
        m_commands.Add(id, [this] { OnMove(+1); });
    for (int id : {int(IDC_CONVERT), int(IDC_CONVERT_BUTTON)})
        m_commands.Add(id, [this] { OnConvert(); });
    for (int id : {int(IDC_SETTINGS), int(IDC_SETTINGS_BUTTON)})
        m_commands.Add(id, [this] { OnSettings(); });
    m_commands.Add(ID_LIST_ADD_FOLDER, [this] { OnAddFolder(); });
    m_commands.Add(ID_LIST_CONVERT_FAILED, [this] { OnConvertFailed(); });
    m_commands.Add(ID_LIST_REMOVE_CONVERTED, [this] { OnRemoveConverted(); });
    m_commands.Add(ID_LIST_OPEN_FOLDER, [this] { OnOpenOutputFolder(); });
    m_commands.Add(IDC_CHANGE_FOLDER, [this] { OnChangeFolder(); });
    m_commands.Add(IDC_HELP, [this] { OnHelpMenu(); });
    m_commands.Add(ID_HELP_CONTENT, [this] { OnHelpContent(); });
    m_commands.Add(ID_HELP_ABOUT, [this] { OnAbout(); });
    m_commands.Add(ID_HELP_HOME_PAGE, [this] { OnHomePage(); });
    m_commands.Add(ID_HELP_TIP_OF_THE_DAY, [this] { OnTipOfTheDay(); });
}

bool CConverterDlg::OnCommand(int id) {
    if (!m_commands.Has(id) || (m_probing && ChangesTheList(id)))
        return false;
    emit commandRouted(id);
    return m_commands.Route(id);
}

void CConverterDlg::reject() {
    if (!isEnabled() || m_probing)
        return;
    QDialog::reject();
}

void CConverterDlg::OnConvert() {
    const std::string folder = TakeOutputFolder();
    m_batch->SetWindowHandle(static_cast<std::int64_t>(winId()));
    // Only a folder the batch accepted becomes the one that is saved.
    const BatchResult result = m_batch->Convert(folder);
    if (result.folderAccepted) {
        m_outputFolder = folder;
        m_statusFolder = folder;
        m_statusOutputs.clear();
        KeepOutputs(result);
    }
}

void CConverterDlg::KeepOutputs(const BatchResult& result) {
    for (const FileResult& file : result.files)
        if (file.outcome == FileOutcome::Converted)
            m_statusOutputs.push_back(file.outputPath);
}

std::string CConverterDlg::TakeOutputFolder() {
    // Taken whole: cut short it would name another folder, which the batch refuses instead.
    const QString typed = m_outputFolderEdit->text();
    // The batch makes the output folder the current one, so a relative folder would mean a different place
    // every time: it is taken from the home folder, as a file manager would, and shown as such.
    const QString folder = AbsoluteFolder(typed);
    if (folder != typed && folder.size() <= 255)
        m_outputFolderEdit->setText(folder);
    return m_outputFolderEdit->text().toStdString();
}

EncoderProcess::Result CConverterDlg::RunEncoder(const std::string& inputPath, const std::string& outputPath,
                                                 int spareWidth, int spareHeight, int probeOnly) {
    m_batch->SetWindowHandle(static_cast<std::int64_t>(winId()));
    return m_batch->RunEncoder(inputPath, outputPath, spareWidth, spareHeight, probeOnly);
}

int CConverterDlg::OnEncoderNotify(unsigned code, std::int32_t value) {
    return m_batch->OnEncoderNotify(code, value);
}

void CConverterDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
}

void CConverterDlg::contextMenuEvent(QContextMenuEvent* event) {
    ShowWindowMenu(event->globalPos());
}

void CConverterDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter never ends the program: a stray press in the folder box would throw the whole list away. A push
    // button that has the focus is pressed by it, as by the space bar.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
        button->click();
    event->accept();
}

void CConverterDlg::ShowWindowMenu(const QPoint& at) {
    QMenu menu(this);
    connect(menu.addAction(tr("&Close")), &QAction::triggered, this, &QDialog::reject);
    menu.addSeparator();
    connect(menu.addAction(tr("&About Quor Zodi Converter...")), &QAction::triggered, this,
            [this] { OnSysCommand(IDM_ABOUTBOX); });
    menu.exec(at);
}

QPoint CConverterDlg::MenuPoint() const {
    QPoint point = m_cursorPos();
    if (point == QPoint(-1, -1))
        point = mapToGlobal(QPoint(5, 5));
    return point;
}

void CConverterDlg::OnHelpMenu() {
    QMenu menu(this);
    const std::pair<const char*, int> items[] = {{"Content", ID_HELP_CONTENT},
                                                 {nullptr, 0},
                                                 {"About", ID_HELP_ABOUT},
                                                 {"Home page", ID_HELP_HOME_PAGE},
                                                 {"Tip of the Day...", ID_HELP_TIP_OF_THE_DAY}};
    for (const auto& [text, id] : items) {
        if (!text)
            menu.addSeparator();
        else
            menu.addAction(QString::fromLatin1(text))->setData(id);
    }
    if (QAction* chosen = menu.exec(MenuPoint()))
        OnCommand(chosen->data().toInt());
}

void CConverterDlg::OnHelpContent() {
    if (!m_helpWindow)
        m_helpWindow = new CHelpWindow(nullptr);
    m_helpWindow->ShowPage(QString::fromStdString(GetProgramDir()) + QStringLiteral("help/overview/overview.htm"));
}

void CConverterDlg::OnAbout() {
    CAboutDlg about(QString::fromStdString(m_programVersion), ReadProductLinks(GetProgramDir()), m_prompts, this);
    about.exec();
}

void CConverterDlg::OnHomePage() {
    const int result = OpenLink(ReadProductLinks(GetProgramDir()).homePage);
    if (result <= 32)
        ReportLinkError(m_prompts, this, result);
}

void CConverterDlg::OnTipOfTheDay() {
    // Shown whatever the start-up choice is.
    CTipOfDayDlg tip(m_prompts, this);
    tip.exec();
}

void CConverterDlg::OnSettings() {
    CSettingsDlg dialog(m_settings, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_settings = dialog.Settings();
    m_formatControls->Sync();
}

void CConverterDlg::OnChangeFolder() {
    QString folder = m_prompts.ExistingDirectory(this, tr("Select a temporary folder"), m_outputFolderEdit->text());
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const std::string problem = OutputFolderProblem(folder.toStdString());
    if (!problem.empty()) {
        m_prompts.MessageBox(
            this, tr("The output folder %1 can't be used: %2.").arg(folder, QString::fromStdString(problem)));
        return;
    }
    m_outputFolderEdit->setText(folder);
    m_outputFolder = m_outputFolderEdit->text().toStdString();
}
