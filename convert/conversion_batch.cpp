#include "convert/conversion_batch.h"

#include <algorithm>
#include <chrono>

#include <filesystem>
#include <system_error>

#include <QCoreApplication>
#include <QString>

#include "controls/prompts.h"
#include "convert/batch_helpers.h"
#include "convert/encoder_runner.h"
#include "convert/output_file.h"
#include "convert/parameter_text.h"
#include "convert/progress_sink.h"
#include "encoder/protocol.h"

namespace {

std::uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QString Tr(const char* text) {
    return QCoreApplication::translate("ConversionBatch", text);
}

std::string LastLine(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? std::string() : lines.last().trimmed().toStdString();
}

// The same file on disk, however the two paths spell it (the bytes of the names, never decoded).
std::string Canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::absolute(path, ec).lexically_normal().string() : canonical.string();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// What the user should know about the converted files beyond their number: shortened, renamed, replaced. The
// names are the bytes they are on disk.
std::string Notes(const BatchResult& result) {
    std::string early, renamed, trashed;
    for (const FileResult& file : result.files) {
        if (file.outcome != FileOutcome::Converted)
            continue;
        if (file.endedEarly)
            early += "\n" + file.outputPath + ": " + FormatSeconds(static_cast<std::int64_t>(file.convertedSeconds)) +
                     " of " + file.inputPath;
        if (!file.plainPath.empty())
            renamed += "\n" + file.outputPath + " instead of " + file.plainPath;
        if (!file.trashedPath.empty())
            trashed += "\n" + file.trashedPath;
    }
    std::string notes;
    if (!early.empty())
        notes += "\n\nThese files were converted, but their source ended early:" + early;
    if (!renamed.empty())
        notes += "\n\nThese outputs got a numbered name, as their name was taken:" + renamed;
    if (!trashed.empty())
        notes += "\n\nThese old files were moved to the trash:" + trashed;
    return notes;
}

std::string EndMessage(const BatchResult& result) {
    const QString total = QString::fromStdString(FormatSeconds(result.elapsedSeconds));
    const QString notes = QString::fromStdString(result.notes);
    const int converted = result.CountOf(FileOutcome::Converted);
    if (converted == static_cast<int>(result.files.size()))
        return (Tr("Mission accomplished! Total Time:%1").arg(total) + notes).toStdString();
    QStringList failures;
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Failed)
            failures << QStringLiteral("%1: %2").arg(QString::fromStdString(file.inputPath),
                                                     QString::fromStdString(file.errorText));
    }
    return (Tr("%1 of %2 files converted. Total Time:%3\n\nThese files were not converted:\n%4")
                .arg(converted)
                .arg(result.files.size())
                .arg(total, failures.join(QLatin1Char('\n'))) +
            notes)
        .toStdString();
}

} // namespace

ConversionBatch::ConversionBatch(const ConversionSettings& settings, FileTable& files, Prompts& prompts, QWidget* owner,
                                 ProgressSink& progress, const EncoderRunner& encoder)
    : m_settings(settings), m_files(files), m_prompts(prompts), m_owner(owner), m_progress(progress),
      m_encoder(encoder), m_tickCount(SteadyMilliseconds) {}

BatchResult ConversionBatch::Convert(const std::string& outputFolder) {
    std::vector<int> rows;
    for (int i = 0; i < m_files.fileCount; ++i)
        rows.push_back(i);
    return ConvertRows(outputFolder, rows);
}

BatchResult ConversionBatch::ConvertRows(const std::string& outputFolder, const std::vector<int>& rows,
                                         const std::vector<std::string>& ownOutputs) {
    BatchResult result;
    if (rows.empty()) {
        m_prompts.MessageBox(m_owner, Tr("No file in the list"));
        return result;
    }
    // Checked before anything is created: a folder cut short or holding a quote would name another place.
    const std::string problem = OutputFolderProblem(outputFolder);
    if (!problem.empty()) {
        m_prompts.MessageBox(m_owner, Tr("The output folder %1 can't be used: %2.").arg(Q(outputFolder), Q(problem)));
        return result;
    }
    std::string why;
    if (EnsureFolder(outputFolder, &why) == -1) {
        m_prompts.MessageBox(m_owner, Tr("Fail to create tmp folder %1").arg(Q(outputFolder)) + QLatin1Char('\n') +
                                          Tr("The system says: %1.").arg(Q(why)));
        return result;
    }

    result.started = true;
    result.folderAccepted = true;
    m_batchOutputs.clear();
    for (const std::string& output : ownOutputs)
        m_batchOutputs.insert(Canonical(output));
    // Once a batch, not once a file: a list of thousands would otherwise spend minutes on it.
    m_batchSources.clear();
    for (int i = 0; i < m_files.fileCount; ++i)
        m_batchSources.insert(Canonical(m_files.entries[static_cast<std::size_t>(i)].path));
    m_batchSeconds = 0;
    for (int row : rows)
        m_batchSeconds += m_files.entries[static_cast<std::size_t>(row)].duration;
    m_state.batchStartTicks = m_tickCount();
    m_state.cancelRequested = 0;
    m_progress.BatchStarted(kInitialProgressText);
    m_progress.FilesQueued(rows);
    m_state.secondsDone = 0;

    for (int row : rows) {
        m_state.currentFileIndex = row;
        result.files.push_back(ConvertFile(row, outputFolder));
        m_progress.FileFinished(result.files.back());
        m_state.secondsDone += m_files.entries[static_cast<std::size_t>(row)].duration;

        const FileResult& file = result.files.back();
        if (file.outcome == FileOutcome::Stopped || file.outcome == FileOutcome::NotStarted)
            break;
    }
    // The files after a stop, or after an encoder that can't be started, never ran: each is named.
    for (auto i = result.files.size(); i < rows.size(); ++i) {
        FileResult never;
        never.row = rows[i];
        never.inputPath = m_files.entries[static_cast<std::size_t>(rows[i])].path;
        result.files.push_back(never);
        m_progress.FileFinished(never);
    }

    Finish(result);
    return result;
}

FileResult ConversionBatch::ConvertFile(int index, const std::string& outputFolder) {
    const VideoFileEntry& entry = m_files.entries[static_cast<std::size_t>(index)];
    FileResult file;
    file.row = index;
    file.inputPath = entry.path;
    // 1. The name the output is meant to have, and the older file found there: it stays until the new one is whole.
    const std::string plain = MakeOutputPath(outputFolder, entry.path, m_settings.outputFormat);
    const std::string intended = IntendedOutput(plain);
    const FileIdentity older = IdentifyRegularFile(intended);
    file.outputPath = intended;
    // 2. The encoder writes under a fresh private name, which no other run and no older file can have.
    const std::string privatePath = PrivateOutputPath(outputFolder, OutputExtension(m_settings.outputFormat));
    // 3. The run.
    const LetterboxSpare spare = ComputeLetterboxSpare(m_settings, entry.sourceWidth, entry.sourceHeight);
    m_lastPosition = -1;
    m_convertingRow = index;
    m_lastPercent = 0;
    m_progress.FileProgress(index, 0);
    const EncoderProcess::Result run = RunEncoder(entry.path, privatePath, spare.width, spare.height, 0);
    m_convertingRow = -1;
    // 4. The check: one outcome from the run, the user's stop and the file written.
    JudgeRun(run, privatePath, entry, file);
    // 5. Only a whole output is put in place, and only now may an older file of its name go to the trash.
    if (file.outcome == FileOutcome::Converted) {
        const Placement placed = PutInPlace(privatePath, plain, intended, older,
                                            [this](const std::string& path) { return TakenInBatch(path); });
        if (placed.path.empty()) {
            file.outcome = FileOutcome::Failed;
            file.errorText = Tr("it could not be given its name: %1").arg(Q(placed.error)).toStdString();
        } else {
            file.outputPath = placed.path;
            file.trashedPath = placed.trashed;
            if (placed.path != plain)
                file.plainPath = plain;
            m_batchOutputs.insert(Canonical(placed.path));
        }
    }
    // 6. Whatever did not become the output goes: a partial file, an encoder's private folder.
    RemoveLeftovers(privatePath);
    return file;
}

void ConversionBatch::JudgeRun(const EncoderProcess::Result& run, const std::string& privatePath,
                               const VideoFileEntry& entry, FileResult& file) const {
    if (run.outcome == EncoderProcess::Outcome::CouldNotStart) {
        file.outcome = FileOutcome::NotStarted;
        file.errorText =
            Tr("The encoder %1 could not be started: %2.").arg(m_encoder.Program(), run.errorText).toStdString();
    } else if (m_state.cancelRequested) {
        // The user's stop decides, whatever the encoder made of it meanwhile.
        file.outcome = FileOutcome::Stopped;
    } else if (run.outcome != EncoderProcess::Outcome::Finished) {
        file.outcome = FileOutcome::Failed;
        file.errorText = LastLine(run.errorText);
        // A stream the format can't hold: the encoder's reason is written for the user, without its name in front.
        const std::string encoderName = "zezozov: ";
        if (run.exitCode == ENCODER_CANNOT_COPY && file.errorText.rfind(encoderName, 0) == 0)
            file.errorText.erase(0, encoderName.size());
        if (file.errorText.empty())
            file.errorText = Tr("the encoder ended with status %1").arg(run.exitCode).toStdString();
    } else if (!HoldsData(privatePath)) {
        file.outcome = FileOutcome::Failed;
        file.errorText = Tr("the encoder wrote no output file").toStdString();
    } else {
        file.outcome = FileOutcome::Converted;
        // Whole seconds on both sides: only a shortfall beyond their rounding counts.
        const double shortBy = entry.duration - m_lastPosition;
        if (m_lastPosition >= 0 && shortBy > 1 && shortBy > entry.duration * 0.02) {
            file.endedEarly = true;
            file.convertedSeconds = m_lastPosition;
        }
    }
}

bool ConversionBatch::TakenInBatch(const std::string& path) const {
    const std::string key = Canonical(path);
    return m_batchOutputs.count(key) || m_batchSources.count(key);
}

std::string ConversionBatch::IntendedOutput(const std::string& plain) const {
    // An older file of the plain name is no obstacle: it goes to the trash once the new one is whole.
    if (!TakenInBatch(plain) && (!Exists(plain) || IdentifyRegularFile(plain).present))
        return plain;
    for (int number = 2;; ++number) {
        const std::string numbered = NumberedPath(plain, number);
        if (!TakenInBatch(numbered) && !Exists(numbered))
            return numbered;
    }
}

void ConversionBatch::Finish(BatchResult& result) {
    result.elapsedSeconds = static_cast<std::int64_t>((m_tickCount() - m_state.batchStartTicks) / 1000);
    const FileResult* unstarted = nullptr;
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Stopped)
            break;
        if (file.outcome == FileOutcome::NotStarted && !file.errorText.empty()) {
            unstarted = &file;
            break;
        }
    }
    result.notes = Notes(result);
    if (result.CountOf(FileOutcome::Stopped) > 0) {
        result.severity = BatchResult::Severity::None;
    } else if (unstarted) {
        result.message = unstarted->errorText + Tr("\nNo file was converted from here on.").toStdString();
        result.severity = BatchResult::Severity::Error;
    } else {
        result.message = EndMessage(result);
        bool early = false;
        for (const FileResult& file : result.files)
            early = early || file.endedEarly;
        result.severity = result.CountOf(FileOutcome::Converted) == static_cast<int>(result.files.size()) && !early
                              ? BatchResult::Severity::Information
                              : BatchResult::Severity::Warning;
    }
    m_progress.BatchFinished(result);
}

namespace {
// How many files, and how many bytes of their names, one encoder run probes at most: well inside the system's limit
// on a program's arguments.
constexpr std::size_t kProbeRunFiles = 256;
constexpr std::size_t kProbeRunBytes = 256 * 1024;

// Why a file was refused when the encoder could not run, or said too little of it.
std::string NotStartedReason() {
    return Tr("The encoder could not be started.").toStdString();
}
std::string NoFactsReason() {
    return Tr("The encoder gave no playing time, frame size or frame rate for it.").toStdString();
}
} // namespace

ConversionBatch::ProbeEnd ConversionBatch::ProbeFiles(const std::vector<std::string>& paths,
                                                      const ProbeHandler& onProbed) {
    ProbeEnd end;
    m_stopProbe = false;
    const auto refuse = [&](std::size_t place, std::string reason) {
        onProbed(place, {false, std::move(reason)});
        ++end.reached;
    };
    std::size_t next = 0;
    while (next < paths.size() && !m_stopProbe) {
        std::vector<std::size_t> places;
        for (std::size_t bytes = 0; next < paths.size() && places.size() < kProbeRunFiles && bytes < kProbeRunBytes;
             ++next) {
            std::string problem = SourceProblem(paths[next]);
            if (problem.empty())
                problem = PathProblem(paths[next]);
            if (problem.empty() && !end.startError.isEmpty())
                problem = NotStartedReason();
            if (!problem.empty()) {
                refuse(next, problem);
                continue;
            }
            places.push_back(next);
            bytes += paths[next].size() + 3;
        }
        // A run that ends early leaves the files after the one it gave up on to the next run.
        for (std::size_t done = 0; done < places.size() && !m_stopProbe;) {
            if (!end.startError.isEmpty()) {
                refuse(places[done++], NotStartedReason());
                continue;
            }
            const std::vector<std::size_t> rest(places.begin() + static_cast<std::ptrdiff_t>(done), places.end());
            const std::size_t told = RunListProbe(paths, rest, onProbed, end);
            done += told;
            end.reached += told;
        }
    }
    return end;
}

std::size_t ConversionBatch::RunListProbe(const std::vector<std::string>& paths, const std::vector<std::size_t>& places,
                                          const ProbeHandler& onProbed, ProbeEnd& end) {
    EncoderJob job;
    for (const std::size_t place : places)
        job.probeList.push_back(paths[place]);
    // A probe writes nothing, so it names an input as its output too: the output folder plays no part in it.
    job.inputPath = job.outputPath = job.probeList.front();
    job.probeOnly = 2;
    job.windowHandle = m_windowHandle;
    const ParameterText parameters = BuildParameterText(m_settings, job);
    m_listProbe = {&places, -1, false, &onProbed};
    const auto onReport = [this](unsigned code, std::int32_t value, const std::string& text) {
        return OnEncoderNotify(code, value, text);
    };
    EncoderProcess::Result run;
    if (parameters.ok())
        run = m_encoder.Run(SplitParameterText(parameters.text), onReport, {}, [this] { return m_stopProbe; });
    else
        run.errorText = QString::fromStdString(parameters.error); // each name was looked at: not expected
    if (run.outcome == EncoderProcess::Outcome::CouldNotStart) {
        end.startError = run.errorText;
        m_listProbe = {};
        return 0;
    }
    if (run.outcome == EncoderProcess::Outcome::Stopped)
        m_stopProbe = true;
    // The file the encoder was reading when it ended, or the first when it ended before naming one: refused, so
    // that the next run starts after it.
    if (!m_stopProbe && (m_listProbe.at < 0 || !m_listProbe.told)) {
        m_listProbe.at = std::max(m_listProbe.at, 0);
        std::string reason = LastLine(run.errorText);
        if (run.outcome == EncoderProcess::Outcome::Finished || reason.empty())
            reason = NoFactsReason();
        TellProbed(false, reason);
    }
    const std::size_t told = static_cast<std::size_t>(m_listProbe.at + (m_listProbe.told ? 1 : 0));
    m_listProbe = {};
    return told;
}

int ConversionBatch::OnListProbeReport(unsigned code, std::int32_t value, const std::string& text) {
    ListProbe& probe = m_listProbe;
    const int reply = m_stopProbe ? 1 : 0;
    if (code == NOTIFY_PROBE_FILE) {
        // Files are reported in their order, each once.
        if (value != probe.at + 1 || static_cast<std::size_t>(value) >= probe.places->size())
            return reply;
        if (probe.at >= 0 && !probe.told)
            TellProbed(false, NoFactsReason());
        probe.at = value;
        probe.told = false;
        m_state.probeFailed = 0;
        // Start from nothing, so a file the encoder says little about can't inherit an earlier file's facts.
        if (VideoFileEntry* entry = m_files.ProbeEntry())
            *entry = VideoFileEntry();
        return reply;
    }
    if (probe.at < 0 || probe.told || value < 0)
        return reply;
    if (code == NOTIFY_PROBE_REFUSED) {
        if (value == probe.at)
            TellProbed(false, text.empty() ? Tr("It cannot be read.").toStdString() : text);
        return reply;
    }
    StoreProbeReport(m_files, m_state, code, value);
    if (code == NOTIFY_FRAME_RATE) { // the last of the four
        const VideoFileEntry* entry = m_files.ProbeEntry();
        const bool everyFact = entry && entry->duration > 0 && entry->sourceWidth > 0 && entry->sourceHeight > 0 &&
                               entry->sourceFrameRate > 0 && !m_state.probeFailed;
        TellProbed(everyFact, everyFact ? std::string() : NoFactsReason());
    }
    return reply;
}

void ConversionBatch::TellProbed(bool accepted, std::string reason) {
    m_listProbe.told = true;
    if (!m_files.ProbeEntry()) {
        accepted = false;
        reason = Tr("The list holds as many files as it can.").toStdString();
    }
    (*m_listProbe.onProbed)((*m_listProbe.places)[static_cast<std::size_t>(m_listProbe.at)], {accepted, reason});
}

ParameterText ConversionBatch::ConversionText(int index, const std::string& outputPath) const {
    const VideoFileEntry& entry = m_files.entries[static_cast<std::size_t>(index)];
    const LetterboxSpare spare = ComputeLetterboxSpare(m_settings, entry.sourceWidth, entry.sourceHeight);
    EncoderJob job;
    job.inputPath = entry.path;
    job.outputPath = outputPath;
    job.spareWidth = spare.width;
    job.spareHeight = spare.height;
    job.windowHandle = m_windowHandle;
    job.sourceFrameRate = entry.sourceFrameRate;
    job.sourceDuration = entry.duration;
    return BuildParameterText(m_settings, job);
}

EncoderProcess::Result ConversionBatch::RunEncoder(const std::string& inputPath, const std::string& outputPath,
                                                   int spareWidth, int spareHeight, int probeOnly) {
    EncoderJob job;
    job.inputPath = inputPath;
    job.outputPath = outputPath;
    job.spareWidth = spareWidth;
    job.spareHeight = spareHeight;
    job.probeOnly = probeOnly;
    job.windowHandle = m_windowHandle;
    const int index = m_state.currentFileIndex;
    if (!probeOnly && index >= 0 && index < m_files.fileCount) {
        job.sourceFrameRate = m_files.entries[static_cast<std::size_t>(index)].sourceFrameRate;
        job.sourceDuration = m_files.entries[static_cast<std::size_t>(index)].duration;
    }

    const ParameterText parameters = BuildParameterText(m_settings, job);
    if (!parameters.ok()) {
        EncoderProcess::Result refused;
        refused.outcome = EncoderProcess::Outcome::Failed;
        refused.errorText = QString::fromStdString(parameters.error);
        return refused;
    }
    const auto onReport = [this](unsigned code, std::int32_t value, const std::string&) {
        return OnEncoderNotify(code, value);
    };
    if (probeOnly)
        return m_encoder.Run(SplitParameterText(parameters.text), onReport, {}, [this] { return m_stopProbe; });
    m_stopConfirmed = false;
    return m_encoder.Run(SplitParameterText(parameters.text), onReport, [this] { return StopWhenQuiet(); });
}

int ConversionBatch::OnEncoderNotify(unsigned code, std::int32_t value, const std::string& text) {
    if (m_listProbe.places && (code <= NOTIFY_FRAME_RATE || code == NOTIFY_PROBE_FILE || code == NOTIFY_PROBE_REFUSED))
        return OnListProbeReport(code, value, text);
    switch (code) {
    case NOTIFY_DURATION:
    case NOTIFY_WIDTH:
    case NOTIFY_HEIGHT:
    case NOTIFY_FRAME_RATE:
        return StoreProbeReport(m_files, m_state, code, value);
    case NOTIFY_POSITION: {
        m_lastPosition = std::max<double>(m_lastPosition, value);
        const int reply = EncoderCallback(1, value);
        if (reply == 0) // a file being stopped is not going further
            ShowFilePercent(value);
        return reply;
    }
    default:
        return 0;
    }
}

void ConversionBatch::ShowFilePercent(double position) {
    if (m_convertingRow < 0 || m_convertingRow >= m_files.fileCount)
        return;
    const double seconds = m_files.entries[static_cast<std::size_t>(m_convertingRow)].duration;
    if (seconds <= 0)
        return;
    const int percent = static_cast<int>(std::clamp(position * 100 / seconds, 0.0, 100.0));
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    m_progress.FileProgress(m_convertingRow, percent);
}

bool ConversionBatch::AskToStop() {
    // One question at a time, and one answer per file: the quiet encoder's check can come round while the question
    // is open, and after a yes the encoder is only being told again.
    if (m_stopConfirmed)
        return true;
    if (m_asking)
        return false;
    m_asking = true;
    m_stopConfirmed = m_progress.ConfirmStop();
    m_asking = false;
    if (!m_stopConfirmed)
        m_state.cancelRequested = 0;
    return m_stopConfirmed;
}

bool ConversionBatch::StopWhenQuiet() {
    return m_state.cancelRequested && AskToStop();
}

int ConversionBatch::EncoderCallback(int kind, double value) {
    if (kind != 1)
        return 0;
    if (++m_state.reportCounter >= 100) {
        PumpMessage();
        m_state.reportCounter = 0;
    }
    if (m_state.cancelRequested && AskToStop())
        return 1;
    PumpMessage();
    if (value == m_state.lastPosition)
        return 0;
    m_state.lastPosition = value;

    const ProgressDisplay display =
        ComputeProgress(value, m_state.secondsDone, m_batchSeconds, m_tickCount() - m_state.batchStartTicks);
    if (!display.show)
        return 0;
    m_progress.ShowProgress(display.text, display.perMille);
    PumpMessage();
    return 0;
}
