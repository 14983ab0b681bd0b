#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QSet>
#include <QString>

#include "convert/batch_result.h"
#include "convert/encoder_process.h"
#include "convert/encoder_reports.h"
#include "convert/file_table.h"
#include "convert/parameter_text.h"
#include "settings/conversion_settings.h"

class QWidget;
class EncoderRunner;
class ProgressSink;
class Prompts;

// The conversion of a list of files: probes each file as it is added, converts the whole list into an
// output folder one encoder run after the other, and turns the encoder's reports into facts, progress and
// the point where a stop asked for by the user is confirmed. It reads the settings, fills and reads the file
// table, and talks to the user only through the prompts and the progress sink; it owns the batch state.
class ConversionBatch {
public:
    // `owner` owns the message boxes shown before a batch runs (null: none).
    ConversionBatch(const ConversionSettings& settings, FileTable& files, Prompts& prompts, QWidget* owner,
                    ProgressSink& progress, const EncoderRunner& encoder);

    // The window the encoder reports to, written into every parameter text.
    void SetWindowHandle(std::int64_t handle) { m_windowHandle = handle; }
    // Test seam: the millisecond clock the batch measures with.
    void SetTickSourceForTest(std::function<std::uint64_t()> tickCount) { m_tickCount = std::move(tickCount); }

    // Converts every listed file, in list order, into `outputFolder`. Refuses an empty list and a folder that
    // can't be used or made, with a message, before anything is created. Answers one result per file. No file
    // is overwritten or deleted: an old file of an output's name goes to the desktop's trash, and an output whose
    // name is taken (by an earlier output of this batch, a listed source, or an old file the trash can't take)
    // gets a numbered name, "clip (2).avi".
    BatchResult Convert(const std::string& outputFolder);

    struct ProbeResult {
        bool accepted = false; // every fact came and the encoder ended well: the entry may become a row
        EncoderProcess::Result run;
        std::string reason; // for a refused file: the path's problem, or the encoder's last error line
    };
    // Runs the encoder in probe mode on `inputPath`; its reports fill the file table's next entry, which
    // starts from nothing.
    ProbeResult Probe(const std::string& inputPath);

    // The parameter text that converting listed file `index` into `outputPath` runs the encoder with.
    ParameterText ConversionText(int index, const std::string& outputPath) const;

    // One encoder run; returns when it has ended. A conversion reads the frame rate of the current file.
    EncoderProcess::Result RunEncoder(const std::string& inputPath, const std::string& outputPath, int spareWidth,
                                      int spareHeight, int probeOnly);
    // One encoder report; the answer is the reply (1 when the user has just confirmed a stop).
    int OnEncoderNotify(unsigned code, std::int32_t value);
    // A position report (kind 1): shows the batch's progress and asks the stop question after a stop request.
    int EncoderCallback(int kind, double value);

    // What the progress window's Cancel does: the stop is confirmed at the encoder's next report.
    void RequestCancel() { m_state.cancelRequested = 1; }
    const BatchState& State() const { return m_state; }

private:
    FileResult ConvertFile(int index, const std::string& outputFolder);
    // The output path for one file, after the trash step; sets plainPath and trashedPath of `file`.
    std::string ChooseOutput(const std::string& plain, FileResult& file);
    bool TakenInBatch(const std::string& path) const;
    bool AskToStop();
    bool StopWhenQuiet();
    void Finish(BatchResult& result);

    const ConversionSettings& m_settings;
    FileTable& m_files;
    Prompts& m_prompts;
    QWidget* m_owner;
    ProgressSink& m_progress;
    const EncoderRunner& m_encoder;
    std::function<std::uint64_t()> m_tickCount;
    BatchState m_state;
    std::int64_t m_windowHandle = 0;
    bool m_stopConfirmed = false;
    QSet<QString> m_batchOutputs; // the outputs of the running batch, as canonical paths
    double m_lastPosition = -1;   // the furthest position the running conversion reported (-1: none)
};
