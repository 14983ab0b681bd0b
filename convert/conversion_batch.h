#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

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
    // is overwritten or deleted: an output is written under a private name and checked, and only then does an old
    // file of its name go to the desktop's trash; an output whose name is taken (by an earlier output of this
    // batch, a listed source, an old file the trash can't take, or another run's output) gets a numbered name,
    // "clip (2).avi". A failed or stopped file leaves everything as it was.
    BatchResult Convert(const std::string& outputFolder);
    // Converts only the listed files at `rows`, in that order, as Convert does. `ownOutputs` are outputs of an
    // earlier batch into the same folder that stay: like this batch's own, none goes to the trash or gives its name.
    BatchResult ConvertRows(const std::string& outputFolder, const std::vector<int>& rows,
                            const std::vector<std::string>& ownOutputs = {});

    // What became of one file of a probe.
    struct ProbeResult {
        bool accepted = false; // every fact came: the file table's entry fileCount holds them
        std::string reason;    // for a refused file: the path's problem, or what the encoder said of it
    };
    // Told each file's result as soon as it is known, with the file's place in the list being probed. An accepted
    // file is to be listed (FileTable::AppendProbed) before the handler returns: the next file's facts go to the
    // entry after it.
    using ProbeHandler = std::function<void(std::size_t place, const ProbeResult& result)>;
    struct ProbeEnd {
        std::size_t reached = 0; // the files told to the handler: all of them unless the probing was stopped
        QString startError;      // why the encoder could not be started; the files not probed are refused
    };
    // Reads the facts of every file of `inputPaths`, in order, many files an encoder run, and fills the file table's
    // entry fileCount with each. A file that can't be a source (no regular file, a name the parameter text can't
    // carry) is refused without the encoder; a file the encoder gives up on (it ends while reading the file) is
    // refused with its last error line, and the probing goes on after it. RequestCancel ends it at once: the files
    // not yet told stay untold.
    ProbeEnd ProbeFiles(const std::vector<std::string>& inputPaths, const ProbeHandler& onProbed);

    // The parameter text that converting listed file `index` into `outputPath` runs the encoder with.
    ParameterText ConversionText(int index, const std::string& outputPath) const;

    // One encoder run; returns when it has ended. A conversion reads the frame rate of the current file.
    EncoderProcess::Result RunEncoder(const std::string& inputPath, const std::string& outputPath, int spareWidth,
                                      int spareHeight, int probeOnly);
    // One encoder report; the answer is the reply (1 when the user has just confirmed a stop). `text` is the reason
    // of a refused file during a list probe.
    int OnEncoderNotify(unsigned code, std::int32_t value, const std::string& text = {});
    // A position report (kind 1): shows the batch's progress and asks the stop question after a stop request.
    int EncoderCallback(int kind, double value);

    // What the progress window's Cancel does: the stop is confirmed at the encoder's next report. A probe running
    // meanwhile ends at once.
    void RequestCancel() {
        m_state.cancelRequested = 1;
        m_stopProbe = true;
    }
    const BatchState& State() const { return m_state; }

private:
    FileResult ConvertFile(int index, const std::string& outputFolder);
    // The name an output is meant to have: `plain`, or the first free numbered name when this batch has `plain`
    // already (an earlier output, a listed source) or something other than a file has it.
    std::string IntendedOutput(const std::string& plain) const;
    // What became of a file whose encoder run has ended: the one place its outcome is decided.
    void JudgeRun(const EncoderProcess::Result& run, const std::string& privatePath, const VideoFileEntry& entry,
                  FileResult& file) const;
    bool TakenInBatch(const std::string& path) const;
    // One encoder run probing the files at `places` of `paths`; answers how many of them were told.
    std::size_t RunListProbe(const std::vector<std::string>& paths, const std::vector<std::size_t>& places,
                             const ProbeHandler& onProbed, ProbeEnd& end);
    // A list probe's report on its files: which file the facts are of, or why it is refused.
    int OnListProbeReport(unsigned code, std::int32_t value, const std::string& text);
    // Tells the handler what became of the file being reported on, once.
    void TellProbed(bool accepted, std::string reason);
    // Tells the sink how much of the current file is done, when that changed.
    void ShowFilePercent(double position);
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
    bool m_stopConfirmed = false; // the user said yes to the stop question during the current file
    bool m_asking = false;        // the stop question is open
    bool m_stopProbe = false;
    // The list probe running: the places of its files, the one being reported on (-1: none yet), whether that one
    // was told already, and whom to tell.
    struct ListProbe {
        const std::vector<std::size_t>* places = nullptr;
        int at = -1;
        bool told = false;
        const ProbeHandler* onProbed = nullptr;
    } m_listProbe;
    std::set<std::string> m_batchOutputs; // the outputs of the running batch, as canonical paths
    std::set<std::string> m_batchSources; // the listed files, as canonical paths
    double m_lastPosition = -1;           // the furthest position the running conversion reported (-1: none)
    double m_batchSeconds = 0;            // the playing time of the files the running batch converts
    int m_convertingRow = -1;             // the listed file being converted (-1: none)
    int m_lastPercent = -1;               // how much of it was last reported done
};
