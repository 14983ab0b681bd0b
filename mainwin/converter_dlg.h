#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QList>
#include <QPoint>

#include "controls/command_target.h"
#include "convert/conversion_batch.h"
#include "convert/encoder_runner.h"
#include "convert/file_table.h"
#include "settings/conversion_settings.h"

class QLineEdit;
class QMenu;
class CFormatControls;
class CHelpWindow;
class CProgressDlg;
class CVideoFileList;
class ListProgress;
class Prompts;

// The program's main window: the tool bar, the list of video files, the output folder and the format
// controls; it runs the batch and the probes.
class CConverterDlg : public QDialog, public CommandTarget {
    Q_OBJECT
public:
    // Template ids of the controls, and the command ids of the menus.
    enum Id {
        IDD = 102,
        IDC_CONVERT = 1000,
        IDC_SETTINGS = 1001,
        IDC_ADD = 1002,
        IDC_HELP = 1003,
        IDC_FILE_LIST = 1006,
        IDC_OUTPUT_FOLDER = 1018,
        IDC_CHANGE_FOLDER = 1019,
        IDC_ADD_SMALL = 1025,
        IDC_REMOVE = 1026,
        IDC_MOVE_UP = 1027,
        IDC_MOVE_DOWN = 1028,
        IDC_OUTPUT_FORMAT = 1066,
        IDC_TV_MODE = 1067,
        IDC_ASPECT_RATIO = 1069,
        IDC_SETTINGS_BUTTON = 1079,
        IDC_CONVERT_BUTTON = 1080,
        // Help menu
        ID_HELP_CONTENT = 32771,
        ID_HELP_ABOUT = 32772,
        ID_HELP_HOME_PAGE = 32773,
        ID_HELP_TIP_OF_THE_DAY = 32774,
        // The list's right-click menu
        ID_LIST_ADD = 32775,
        ID_LIST_REMOVE = 32776,
        ID_LIST_MOVE_UP = 32777,
        ID_LIST_MOVE_DOWN = 32778,
        ID_LIST_CONVERT_FAILED = 32779,
        ID_LIST_REMOVE_CONVERTED = 32780,
        ID_LIST_OPEN_FOLDER = 32781,
        ID_LIST_ADD_FOLDER = 32782,
        // The window menu's About item
        IDM_ABOUTBOX = 0x0010,
    };

    // Loads the settings of the run (option.ini and version.ini beside the program) into `settings`, which
    // the window's controls edit from then on.
    CConverterDlg(ConversionSettings& settings, Prompts& prompts, QWidget* parent = nullptr);
    // Saves the settings; tells the user when they cannot be written.
    ~CConverterDlg() override;

    // Runs the handler of a command id, as buttons and menus do. False when the id has no handler, or when
    // the command must wait because a probe is running.
    bool OnCommand(int id) override;
    bool HasCommand(int id) const { return m_commands.Has(id); }
    // A command of the window menu; the low four bits of `id` are ignored, as window menus do.
    void OnSysCommand(int id);

    // The open-file dialog's filters ("Import video files"), in Qt's ";;" notation.
    static QString VideoFileFilter();

    const std::string& outputFolder() const { return m_outputFolder; }
    CProgressDlg* progressWindow() const { return m_progressWindow; }
    CVideoFileList* fileList() const { return m_fileList; }
    ConversionSettings& settings() { return m_settings; }
    const FileTable& files() const { return m_files; }
    ConversionBatch& batch() const { return *m_batch; }
    bool IsProbing() const { return m_probing; }

    // Converts every file of the list into the output folder, one encoder run after the other.
    void OnConvert();
    // Probes each file and lists those the encoder can read; tells the user about the others afterwards, in one
    // message. A folder among the paths stands for the video files under it. While many files are probed, a window
    // says how many are done and can stop the adding; the files listed by then stay. The paths are the bytes of the
    // file names, so that one that is not valid UTF-8 still names its file.
    void AddFiles(const std::vector<std::string>& paths);
    // The same for names as Qt gives them (the file picker, a drop).
    void AddFiles(const QStringList& paths);
    // Keeps the list in `file` from now on: lists the files kept there with their facts (not probed again), leaves
    // out those that are gone, and saves the list after every change. Answers the names left out.
    QStringList KeepListIn(const std::string& file);
    // Tells the user, in one message, which files of the kept list were left out.
    void ReportLeftOut(const QStringList& paths);
    // Runs the encoder on one file and returns when it has ended: `probeOnly` 1 reads the file's facts,
    // 0 converts it into `outputPath`.
    EncoderProcess::Result RunEncoder(const std::string& inputPath, const std::string& outputPath, int spareWidth,
                                      int spareHeight, int probeOnly);
    // One encoder report; the answer is the reply (1 when the user has just confirmed a stop).
    int OnEncoderNotify(unsigned code, std::int32_t value);

    // Test seams: how long the batch waits for a report after a Cancel before it asks the stop question on
    // its own, and where pop-up menus appear.
    void SetStallTimeoutForTest(int ms) { m_encoder.SetStallTimeoutForTest(ms); }
    void SetCursorSourceForTest(std::function<QPoint()> cursorPos) { m_cursorPos = std::move(cursorPos); }

    // Escape and the close box end the program, but not in the middle of a batch or a probe.
    void reject() override;

signals:
    // A command's handler is about to run. For observers such as tests.
    void commandRouted(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Enter presses the focused push button and does nothing anywhere else.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void SetTabOrder();
    void RouteCommands();
    std::string TakeOutputFolder();
    QPoint MenuPoint() const;

    // Handlers
    void OnAddFiles();
    void OnAddFolder();
    void OnRemove();
    void OnMove(int step);
    void OnListContextMenu();
    void OnConvertFailed();
    void OnRemoveConverted();
    void OnOpenOutputFolder();
    void OnHelpMenu();
    void OnHelpContent();
    void OnAbout();
    void OnHomePage();
    void OnTipOfTheDay();
    void OnChangeFolder();
    void OnSettings();
    void ShowWindowMenu(const QPoint& at);

    ConversionSettings& m_settings;
    Prompts& m_prompts;
    CommandRouter m_commands;
    std::string m_outputFolder;
    std::string m_programVersion;
    // Where option.ini is read from and saved to: the program folder, or the user's config folder.
    std::string m_settingsFolder;
    // The list's facts, row for row with m_fileList.
    FileTable m_files;
    EncoderRunner m_encoder;
    std::unique_ptr<ConversionBatch> m_batch;
    QLineEdit* m_outputFolderEdit = nullptr;
    CVideoFileList* m_fileList = nullptr;
    CFormatControls* m_formatControls = nullptr;
    CProgressDlg* m_progressWindow = nullptr;
    std::unique_ptr<ListProgress> m_listProgress;
    // The folder of the batch that gave the rows their statuses: failed files are converted again into it. The
    // outputs made there since are the batch's own, also those of rows removed meanwhile.
    std::string m_statusFolder;
    std::vector<std::string> m_statusOutputs;
    void KeepOutputs(const BatchResult& result);
    // Lists the file table's entry `fileCount`, which holds the facts of `path`.
    void AppendListed(const std::string& path);
    // Removes `rows` (in list order) from the list and the file table, and keeps the list.
    void RemoveRows(const QList<int>& rows);
    // Writes the list to the kept list's file, if there is one; a failure is told once a run.
    void SaveList();
    std::string m_keptList;
    bool m_keptListFailed = false;
    // How often a long add keeps the rows listed so far.
    static constexpr int kSaveEveryMs = 500;
    CHelpWindow* m_helpWindow = nullptr;
    std::function<QPoint()> m_cursorPos;
    bool m_probing = false;
};
