// The main window's conversion work: the batch over the list, the encoder runs and their reports.

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSet>
#include <QTimer>

#include "settings/conversion_settings.h"
#include "settings/program_dir.h"
#include "controls/prompts.h"
#include "convert/batch_helpers.h"
#include "convert/encoder_reports.h"
#include "convert/progress_dialog.h"
#include "mainwin/converter_dlg.h"

namespace {

// How often the batch looks whether a cancelled encoder has gone quiet.
constexpr int kStallCheckMs = 250;

QString LastLine(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

// The same file on disk, however the two paths spell it.
QString CanonicalOrAbsolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

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

} // namespace

QString CConverterDlg::EncoderProgram() const {
    return QString::fromStdString(GetProgramDir()) + QStringLiteral("zezozov");
}

EncoderProcess::Result CConverterDlg::RunEncoder(const std::string& inputPath, const std::string& outputPath,
                                                 int spareWidth, int spareHeight, int probeOnly) {
    EncoderJob job;
    job.inputPath = inputPath;
    job.outputPath = outputPath;
    job.spareWidth = spareWidth;
    job.spareHeight = spareHeight;
    job.probeOnly = probeOnly;
    job.windowHandle = static_cast<std::int64_t>(winId());
    const int index = batchState.currentFileIndex;
    if (index >= 0 && index < static_cast<int>(fileTable.entries.size()))
        job.sourceFrameRate = fileTable.entries[static_cast<std::size_t>(index)].sourceFrameRate;

    const ParameterText parameters = BuildParameterText(conversionSettings, m_derived, job);
    if (!parameters.ok()) {
        EncoderProcess::Result refused;
        refused.outcome = EncoderProcess::Outcome::Failed;
        refused.errorText = QString::fromStdString(parameters.error);
        return refused;
    }
    QStringList arguments;
    for (const auto& argument : SplitParameterText(parameters.text))
        arguments << QString::fromStdString(argument);

    EncoderProcess encoder;
    encoder.SetReportHandler([this](unsigned code, std::int32_t value) { return OnEncoderNotify(code, value); });

    // A Cancel normally turns into a stop at the encoder's next report; an encoder that has gone quiet would
    // never get there, so the question is asked without it and a confirmed stop ends the encoder.
    QTimer stallCheck;
    if (!probeOnly) {
        m_stopConfirmed = false;
        stallCheck.setInterval(kStallCheckMs);
        connect(&stallCheck, &QTimer::timeout, this, [&] {
            if (!batchState.cancelRequested || !encoder.IsRunning() || encoder.MsSinceLastReport() < m_stallTimeoutMs)
                return;
            stallCheck.stop();
            if (m_stopConfirmed || AskToStop()) {
                encoder.Kill();
                return;
            }
            batchState.cancelRequested = 0;
            stallCheck.start();
        });
        stallCheck.start();
    }
    return encoder.Run(EncoderProgram(), arguments);
}

int CConverterDlg::OnEncoderNotify(unsigned code, std::int32_t value) {
    switch (code) {
    case NOTIFY_DURATION:
    case NOTIFY_WIDTH:
    case NOTIFY_HEIGHT:
    case NOTIFY_FRAME_RATE:
        return StoreProbeReport(fileTable, batchState, code, value);
    case NOTIFY_POSITION:
        return EncoderCallback(1, value);
    default:
        return 0;
    }
}

bool CConverterDlg::AskToStop() {
    const bool stop = m_prompts.MessageBox(m_progressWindow, tr("Do you really want to stop?"), QString(),
                                           Prompts::YesNoButtons, Prompts::QuestionIcon) == Prompts::AnswerYes;
    m_stopConfirmed = stop;
    return stop;
}

int CConverterDlg::EncoderCallback(int kind, double value) {
    if (kind != 1)
        return 0;
    BatchState& batch = batchState;
    if (++batch.reportCounter >= 100) {
        PumpMessage();
        batch.reportCounter = 0;
    }
    if (batch.cancelRequested) {
        if (AskToStop())
            return 1;
        batch.cancelRequested = 0;
    }
    PumpMessage();
    if (value == batch.lastPosition)
        return 0;
    batch.lastPosition = value;

    const ProgressDisplay display =
        ComputeProgress(value, batch.secondsDone, fileTable.totalDuration, m_tickCount() - batch.batchStartTicks);
    if (!display.show)
        return 0;
    m_progressWindow->SetStatusText(QString::fromStdString(display.text));
    m_progressWindow->SetPos(display.perMille);
    PumpMessage();
    return 0;
}

void CConverterDlg::OnConvert() {
    if (fileTable.fileCount == 0) {
        m_prompts.MessageBox(this, tr("No file in the list"));
        return;
    }
    const QString typed = m_outputFolderEdit->text().left(255);
    // The batch makes the output folder the current one, so a relative folder would mean a different place
    // every time: it is taken from the home folder, as a file manager would, and shown as such.
    const QString folder = AbsoluteFolder(typed);
    if (folder != typed && folder.size() <= 255)
        m_outputFolderEdit->setText(folder);
    m_outputFolder = m_outputFolderEdit->text().toStdString();
    if (EnsureFolder(m_outputFolder) == -1) {
        m_prompts.MessageBox(this, tr("Fail to create tmp folder %1").arg(typed));
        return;
    }

    BatchState& batch = batchState;
    batch.batchStartTicks = m_tickCount();
    batch.cancelRequested = 0;
    setEnabled(false);

    m_progressWindow->SetStatusText(QString::fromLatin1(kInitialProgressText));
    m_progressWindow->SetRange(0, 1000);
    m_progressWindow->SetPos(0);
    m_progressWindow->ShowOverOwner();

    // Never delete or overwrite a file the batch itself reads.
    QSet<QString> sources;
    for (int i = 0; i < fileTable.fileCount; ++i)
        sources.insert(
            CanonicalOrAbsolute(QString::fromStdString(fileTable.entries[static_cast<std::size_t>(i)].path)));

    const auto finish = [this] {
        setEnabled(true);
        m_progressWindow->hide();
    };

    QStringList failures;
    int converted = 0;
    batch.secondsDone = 0;
    for (int i = 0; i < fileTable.fileCount; ++i) {
        batch.currentFileIndex = i;
        const VideoFileEntry entry = fileTable.entries[static_cast<std::size_t>(i)];
        const std::string outputPath = MakeOutputPath(m_outputFolder, entry.path, conversionSettings.outputFormat);
        const QString output = QString::fromStdString(outputPath);
        const bool outputIsSource = sources.contains(CanonicalOrAbsolute(output));

        EncoderProcess::Result result;
        if (outputIsSource) {
            result.outcome = EncoderProcess::Outcome::Failed;
            result.errorText = tr("its output name %1 is one of the files being converted").arg(output);
        } else {
            QFile::remove(output);
            int spareWidth = 0, spareHeight = 0;
            ComputeLetterboxSpare(conversionSettings, m_derived, entry.sourceWidth, entry.sourceHeight, spareWidth,
                                  spareHeight);
            result = RunEncoder(entry.path, outputPath, spareWidth, spareHeight, 0);
        }
        batch.secondsDone += entry.duration;

        if (result.outcome == EncoderProcess::Outcome::CouldNotStart) {
            finish();
            m_prompts.MessageBox(this,
                                 tr("The encoder %1 could not be started: %2.\nNo file was converted from here on.")
                                     .arg(EncoderProgram(), result.errorText),
                                 QString(), Prompts::OkButton, Prompts::ErrorIcon);
            return;
        }
        if (batch.cancelRequested) {
            if (!outputIsSource)
                QFile::remove(output);
            finish();
            return;
        }
        if (result.outcome == EncoderProcess::Outcome::Finished && QFileInfo::exists(output)) {
            ++converted;
            continue;
        }
        QString reason = LastLine(result.errorText);
        if (reason.isEmpty())
            reason = result.outcome == EncoderProcess::Outcome::Finished
                         ? tr("the encoder wrote no output file")
                         : tr("the encoder ended with status %1").arg(result.exitCode);
        failures << tr("%1: %2").arg(QString::fromStdString(entry.path), reason);
    }

    const std::uint64_t elapsed = (m_tickCount() - batch.batchStartTicks) / 1000;
    const QString total = QString::fromStdString(FormatSeconds(static_cast<std::int64_t>(elapsed)));
    // The progress window is still up and the main window disabled: the box belongs to the progress window.
    if (failures.isEmpty()) {
        m_prompts.MessageBox(m_progressWindow, tr("Mission accomplished! Total Time:%1").arg(total), QString(),
                             Prompts::OkButton, Prompts::InformationIcon);
    } else {
        m_prompts.MessageBox(m_progressWindow,
                             tr("%1 of %2 files converted. Total Time:%3\n\nThese files were not converted:\n%4")
                                 .arg(converted)
                                 .arg(fileTable.fileCount)
                                 .arg(total, failures.join(QLatin1Char('\n'))),
                             QString(), Prompts::OkButton, Prompts::WarningIcon);
    }
    finish();
}
