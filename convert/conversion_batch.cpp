#include "convert/conversion_batch.h"

#include <algorithm>
#include <chrono>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>

#include "controls/prompts.h"
#include "convert/batch_helpers.h"
#include "convert/desktop_trash.h"
#include "convert/encoder_runner.h"
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

// The same file on disk, however the two paths spell it.
QString CanonicalOrAbsolute(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// What the user should know about the converted files beyond their number: shortened, renamed, replaced.
QString Notes(const BatchResult& result) {
    QStringList early, renamed, trashed;
    for (const FileResult& file : result.files) {
        if (file.outcome != FileOutcome::Converted)
            continue;
        if (file.endedEarly)
            early << Tr("%1: %2 of %3")
                         .arg(Q(file.outputPath), Q(FormatSeconds(static_cast<std::int64_t>(file.convertedSeconds))),
                              Q(file.inputPath));
        if (!file.plainPath.empty())
            renamed << Tr("%1 instead of %2").arg(Q(file.outputPath), Q(file.plainPath));
        if (!file.trashedPath.empty())
            trashed << Q(file.trashedPath);
    }
    QString notes;
    if (!early.isEmpty())
        notes += Tr("\n\nThese files were converted, but their source ended early:\n") + early.join(QLatin1Char('\n'));
    if (!renamed.isEmpty())
        notes +=
            Tr("\n\nThese outputs got a numbered name, as their name was taken:\n") + renamed.join(QLatin1Char('\n'));
    if (!trashed.isEmpty())
        notes += Tr("\n\nThese old files were moved to the trash:\n") + trashed.join(QLatin1Char('\n'));
    return notes;
}

std::string EndMessage(const BatchResult& result) {
    const QString total = QString::fromStdString(FormatSeconds(result.elapsedSeconds));
    const int converted = result.CountOf(FileOutcome::Converted);
    if (converted == static_cast<int>(result.files.size()))
        return (Tr("Mission accomplished! Total Time:%1").arg(total) + Notes(result)).toStdString();
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
            Notes(result))
        .toStdString();
}

// Removes what a run that failed or was stopped may have left: the encoder's partial file (an encoder killed
// from outside can't remove it itself) and, after a stop, the output.
void RemoveLeftovers(const std::string& outputPath, bool output) {
    QFile::remove(QString::fromStdString(PartialOutputPath(outputPath)));
    if (output)
        QFile::remove(QString::fromStdString(outputPath));
}

} // namespace

ConversionBatch::ConversionBatch(const ConversionSettings& settings, FileTable& files, Prompts& prompts, QWidget* owner,
                                 ProgressSink& progress, const EncoderRunner& encoder)
    : m_settings(settings), m_files(files), m_prompts(prompts), m_owner(owner), m_progress(progress),
      m_encoder(encoder), m_tickCount(SteadyMilliseconds) {}

BatchResult ConversionBatch::Convert(const std::string& outputFolder) {
    BatchResult result;
    if (m_files.fileCount == 0) {
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
    m_state.batchStartTicks = m_tickCount();
    m_state.cancelRequested = 0;
    m_progress.BatchStarted(kInitialProgressText);
    m_state.secondsDone = 0;

    for (int i = 0; i < m_files.fileCount; ++i) {
        m_state.currentFileIndex = i;
        result.files.push_back(ConvertFile(i, outputFolder));
        m_progress.FileFinished(result.files.back());
        m_state.secondsDone += m_files.entries[static_cast<std::size_t>(i)].duration;

        const FileResult& file = result.files.back();
        if (file.outcome == FileOutcome::Stopped || file.outcome == FileOutcome::NotStarted)
            break;
    }
    // The files after a stop, or after an encoder that can't be started, never ran.
    for (auto i = result.files.size(); i < static_cast<std::size_t>(m_files.fileCount); ++i) {
        FileResult never;
        never.inputPath = m_files.entries[i].path;
        result.files.push_back(never);
    }

    Finish(result);
    return result;
}

FileResult ConversionBatch::ConvertFile(int index, const std::string& outputFolder) {
    const VideoFileEntry& entry = m_files.entries[static_cast<std::size_t>(index)];
    FileResult file;
    file.inputPath = entry.path;
    file.outputPath = ChooseOutput(MakeOutputPath(outputFolder, entry.path, m_settings.outputFormat), file);
    const QString output = QString::fromStdString(file.outputPath);

    const LetterboxSpare spare = ComputeLetterboxSpare(m_settings, entry.sourceWidth, entry.sourceHeight);
    m_lastPosition = -1;
    const EncoderProcess::Result run = RunEncoder(entry.path, file.outputPath, spare.width, spare.height, 0);
    if (run.outcome != EncoderProcess::Outcome::CouldNotStart &&
        (m_state.cancelRequested || run.outcome != EncoderProcess::Outcome::Finished))
        RemoveLeftovers(file.outputPath, m_state.cancelRequested != 0);

    if (run.outcome == EncoderProcess::Outcome::CouldNotStart) {
        file.outcome = FileOutcome::NotStarted;
        file.errorText =
            Tr("The encoder %1 could not be started: %2.").arg(m_encoder.Program(), run.errorText).toStdString();
        return file;
    }
    if (m_state.cancelRequested) {
        file.outcome = FileOutcome::Stopped;
        return file;
    }
    if (run.outcome == EncoderProcess::Outcome::Finished && QFileInfo::exists(output)) {
        file.outcome = FileOutcome::Converted;
        m_batchOutputs.insert(CanonicalOrAbsolute(file.outputPath));
        // Whole seconds on both sides: only a shortfall beyond their rounding counts.
        const double shortBy = entry.duration - m_lastPosition;
        if (m_lastPosition >= 0 && shortBy > 1 && shortBy > entry.duration * 0.02) {
            file.endedEarly = true;
            file.convertedSeconds = m_lastPosition;
        }
        return file;
    }
    file.outcome = FileOutcome::Failed;
    file.errorText = LastLine(run.errorText);
    // A stream the format can't hold: the encoder's reason is written for the user, without its name in front.
    const std::string encoderName = "zezozov: ";
    if (run.exitCode == ENCODER_CANNOT_COPY && file.errorText.rfind(encoderName, 0) == 0)
        file.errorText.erase(0, encoderName.size());
    if (file.errorText.empty())
        file.errorText = run.outcome == EncoderProcess::Outcome::Finished
                             ? Tr("the encoder wrote no output file").toStdString()
                             : Tr("the encoder ended with status %1").arg(run.exitCode).toStdString();
    return file;
}

bool ConversionBatch::TakenInBatch(const std::string& path) const {
    const QString key = CanonicalOrAbsolute(path);
    if (m_batchOutputs.contains(key))
        return true;
    for (int i = 0; i < m_files.fileCount; ++i)
        if (CanonicalOrAbsolute(m_files.entries[static_cast<std::size_t>(i)].path) == key)
            return true;
    return false;
}

std::string ConversionBatch::ChooseOutput(const std::string& plain, FileResult& file) {
    if (!TakenInBatch(plain)) {
        const QString old = QString::fromStdString(plain);
        if (!QFileInfo(old).exists() && !QFileInfo(old).isSymLink())
            return plain;
        // An old file of this name is replaced only by way of the trash, where the user can get it back.
        if (QFileInfo(old).isFile() && MoveToDesktopTrash(old)) {
            file.trashedPath = plain;
            return plain;
        }
    }
    // Taken by this batch's own files, or an old file that must stay: the next free numbered name.
    for (int number = 2;; ++number) {
        const std::string numbered = NumberedPath(plain, number);
        const QFileInfo info(QString::fromStdString(numbered));
        if (!TakenInBatch(numbered) && !info.exists() && !info.isSymLink()) {
            file.plainPath = plain;
            return numbered;
        }
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

ConversionBatch::ProbeResult ConversionBatch::Probe(const std::string& inputPath) {
    ProbeResult result;
    VideoFileEntry* entry = m_files.ProbeEntry();
    if (!entry) {
        result.run.outcome = EncoderProcess::Outcome::Failed;
        result.run.errorText = Tr("The list holds as many files as it can.");
        return result;
    }
    // Start from nothing, so a file the encoder says nothing about can't inherit an earlier file's facts.
    *entry = VideoFileEntry();
    m_state.probeFailed = 0;
    // A probe writes nothing, so it names the input as its output too: the output folder plays no part in it.
    result.run = RunEncoder(inputPath, inputPath, 0, 0, 1);

    entry = m_files.ProbeEntry();
    const bool everyFact =
        entry && entry->duration > 0 && entry->sourceWidth > 0 && entry->sourceHeight > 0 && entry->sourceFrameRate > 0;
    result.accepted = !m_state.probeFailed && everyFact && result.run.outcome == EncoderProcess::Outcome::Finished;
    if (!result.accepted) {
        // A refused path never reached the encoder: its whole message is the reason (the path may hold a line
        // break itself). Otherwise the encoder's own last error line.
        result.reason = result.run.exitCode == -1 ? result.run.errorText.toStdString() : LastLine(result.run.errorText);
        if (result.reason.empty())
            result.reason = Tr("The encoder gave no playing time, frame size or frame rate for it.").toStdString();
    }
    return result;
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
    const auto onReport = [this](unsigned code, std::int32_t value) { return OnEncoderNotify(code, value); };
    if (probeOnly)
        return m_encoder.Run(SplitParameterText(parameters.text), onReport);
    m_stopConfirmed = false;
    return m_encoder.Run(SplitParameterText(parameters.text), onReport, [this] { return StopWhenQuiet(); });
}

int ConversionBatch::OnEncoderNotify(unsigned code, std::int32_t value) {
    switch (code) {
    case NOTIFY_DURATION:
    case NOTIFY_WIDTH:
    case NOTIFY_HEIGHT:
    case NOTIFY_FRAME_RATE:
        return StoreProbeReport(m_files, m_state, code, value);
    case NOTIFY_POSITION:
        m_lastPosition = std::max<double>(m_lastPosition, value);
        return EncoderCallback(1, value);
    default:
        return 0;
    }
}

bool ConversionBatch::AskToStop() {
    m_stopConfirmed = m_progress.ConfirmStop();
    return m_stopConfirmed;
}

bool ConversionBatch::StopWhenQuiet() {
    if (!m_state.cancelRequested)
        return false;
    if (m_stopConfirmed || AskToStop())
        return true;
    m_state.cancelRequested = 0;
    return false;
}

int ConversionBatch::EncoderCallback(int kind, double value) {
    if (kind != 1)
        return 0;
    if (++m_state.reportCounter >= 100) {
        PumpMessage();
        m_state.reportCounter = 0;
    }
    if (m_state.cancelRequested) {
        if (AskToStop())
            return 1;
        m_state.cancelRequested = 0;
    }
    PumpMessage();
    if (value == m_state.lastPosition)
        return 0;
    m_state.lastPosition = value;

    const ProgressDisplay display =
        ComputeProgress(value, m_state.secondsDone, m_files.totalDuration, m_tickCount() - m_state.batchStartTicks);
    if (!display.show)
        return 0;
    m_progress.ShowProgress(display.text, display.perMille);
    PumpMessage();
    return 0;
}
