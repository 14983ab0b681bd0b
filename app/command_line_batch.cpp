#include "app/command_line_batch.h"

#include <csignal>
#include <filesystem>

#include <QTimer>

#include "controls/prompts.h"
#include "convert/batch_helpers.h"
#include "convert/conversion_batch.h"
#include "convert/encoder_runner.h"
#include "convert/file_table.h"
#include "convert/parameter_text.h"
#include "convert/terminal_progress.h"
#include "mainwin/folder_walk.h"
#include "settings/conversion_settings.h"
#include "settings/program_dir.h"
#include "settings/settings_location.h"

namespace {

// Set by the signal handler, looked at by a timer of the batch.
volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void OnInterrupt(int signal) {
    interruptSignal = signal;
}

// The message boxes of a batch (a folder that can't be made, ...) as lines on standard error. There is nobody to
// answer a question: yes/no questions are answered no, pickers pick nothing.
class TerminalPrompts : public Prompts {
public:
    explicit TerminalPrompts(std::ostream& err) : m_err(err) {}
    int MessageBox(QWidget*, const QString& text, const QString&, Buttons buttons, Icon) override {
        m_err << GetApplicationName() << ": " << text.toStdString() << '\n';
        return buttons == YesNoButtons ? AnswerNo : AnswerOk;
    }
    QStringList OpenFileNames(QWidget*, const QString&, const QString&) override { return {}; }
    QString ExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }

private:
    std::ostream& m_err;
};

// `path` made absolute from the current folder, from its bytes: a name that is not valid UTF-8 stays the same.
std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

int Convert(const CommandLine& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const std::string programDir = GetProgramDir();
    const StoredSettings stored = LoadSettings(programDir, SettingsFolder());
    ConversionSettings settings = stored.settings;
    ApplyCommandLine(command, settings);
    // Absolute, because the batch makes the output folder the current one.
    std::string outputFolder = command.outputFolder.empty() ? stored.outputFolder : command.outputFolder;
    outputFolder = AbsolutePath(outputFolder.empty() ? "." : outputFolder);
    if (outputFolder.back() != '/')
        outputFolder += '/';

    // A folder stands for the video files under it.
    std::vector<std::string> noVideo;
    const std::vector<std::string> given = ExpandFolders(command.files, &noVideo);
    for (const std::string& folder : noVideo)
        err << "no video files in " << folder << '\n';

    EncoderRunner encoder(programDir + "zezozov");
    encoder.SetOwnProcessGroup(true);
    FileTable files;
    TerminalPrompts prompts(err);
    TerminalProgress progress(err, errIsTerminal, static_cast<int>(given.size()));
    ConversionBatch batch(settings, files, prompts, nullptr, progress, encoder);

    interruptSignal = 0;
    // A closed terminal (SIGHUP) ends the batch like Ctrl-C and SIGTERM: the encoder stopped, nothing half made.
    for (const int stopSignal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(stopSignal, OnInterrupt);
    QTimer interruptCheck;
    interruptCheck.setInterval(50);
    QObject::connect(&interruptCheck, &QTimer::timeout, [&] {
        if (!interruptSignal)
            return;
        progress.StopRequested();
        batch.RequestCancel();
    });
    interruptCheck.start();
    const auto interrupted = [] { return interruptSignal != 0 ? 128 + static_cast<int>(interruptSignal) : 0; };

    int refused = static_cast<int>(noVideo.size());
    // The names' own bytes: one that is not valid UTF-8 still names its file.
    std::vector<std::string> inputs;
    for (const std::string& path : given)
        inputs.push_back(AbsolutePath(path));
    const ConversionBatch::ProbeEnd probed =
        batch.ProbeFiles(inputs, [&](std::size_t place, const ConversionBatch::ProbeResult& probe) {
            if (probe.accepted) {
                files.AppendProbed(inputs[place]);
            } else if (!interrupted()) {
                err << "not converted " << given[place] << ": " << probe.reason << '\n';
                ++refused;
            }
        });
    if (interrupted()) {
        for (const std::string& file : given)
            err << "not started " << file << '\n';
        return interrupted();
    }
    if (!probed.startError.isEmpty()) {
        err << GetApplicationName() << ": the encoder " << encoder.Program().toStdString()
            << " could not be started: " << probed.startError.toStdString() << '\n';
        return kExitSomeFailed;
    }

    if (command.dryRun) {
        for (int i = 0; i < files.fileCount; ++i) {
            const std::string output =
                MakeOutputPath(outputFolder, files.entries[static_cast<std::size_t>(i)].path, settings.outputFormat);
            // No window: the handle the encoder is given is 0.
            const ParameterText text = batch.ConversionText(i, output);
            if (!text.ok()) {
                err << "not converted " << files.entries[static_cast<std::size_t>(i)].path << ": " << text.error
                    << '\n';
                ++refused;
                continue;
            }
            out << output << '\n' << text.text << '\n';
        }
        return refused ? kExitSomeFailed : kExitOk;
    }
    if (files.fileCount == 0)
        return kExitSomeFailed;

    const BatchResult result = batch.Convert(outputFolder);
    if (!result.started)
        return interrupted() ? interrupted() : kExitSomeFailed;
    const int converted = result.CountOf(FileOutcome::Converted);
    const int total = static_cast<int>(given.size());
    err << converted << " of " << total << " files converted into " << outputFolder << " in "
        << FormatSeconds(result.elapsedSeconds) << '\n';
    if (interrupted())
        return interrupted();
    return converted == total && noVideo.empty() ? kExitOk : kExitSomeFailed;
}

} // namespace

int RunCommandLineBatch(const CommandLine& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const std::string program = GetApplicationName();
    if (!command.error.empty()) {
        err << program << ": " << command.error << "\nTry '" << program << " --help'.\n";
        return kExitUsage;
    }
    switch (command.mode) {
    case CommandLine::Mode::Help:
        out << UsageText(program);
        return kExitOk;
    case CommandLine::Mode::Version:
        out << program << ' ' << LoadSettings(GetProgramDir()).programVersion << '\n';
        return kExitOk;
    case CommandLine::Mode::Convert:
        return Convert(command, out, err, errIsTerminal);
    case CommandLine::Mode::Window:
        break;
    }
    err << program << ": the window can't be opened from here\n";
    return kExitUsage;
}
