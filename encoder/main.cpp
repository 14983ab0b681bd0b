// zezozov: the converter's encoder. Reads the parameter text the converter writes, has FFmpeg carry it out and
// reports back on standard output, one "<code> <value>" line per report, each answered by one line on standard
// input. Diagnostics go to standard error.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "encoder/child_process.h"
#include "encoder/copy_check.h"
#include "encoder/protocol.h"
#include "encoder/ffmpeg_command.h"
#include "encoder/media_file.h"
#include "encoder/option_parser.h"
#include "encoder/output_file.h"
#include "encoder/progress_reader.h"
#include "encoder/report_channel.h"
#include "encoder/source_info.h"

using namespace zezozov;

namespace {

constexpr int kQuitGraceMs = 500;    // how long FFmpeg gets to finish after a stop request before it is killed
constexpr size_t kErrorKeep = 16384; // bytes of FFmpeg's error output kept for the failure message

void Fail(const std::string& message) {
    std::cerr << "zezozov: " << message << std::endl;
}

int ProtocolError() {
    Fail("protocol error: a reply line longer than " + std::to_string(kMaxReportLine) + " bytes");
    return ENCODER_PROTOCOL_ERROR;
}

std::optional<SourceInfo> Probe(const std::string& path, std::string& why) {
    auto facts = ReadMediaFile(path, why);
    if (!facts)
        return std::nullopt;
    auto info = ChooseSource(*facts);
    if (!info)
        why = "no video stream";
    else if (DurationReport(info->duration) == 0)
        why = "no playing time";
    return DurationReport(info ? info->duration : 0) > 0 ? info : std::nullopt;
}

// The four facts of a readable source; true when a reply asked to stop.
bool ReportFacts(const SourceInfo& info, ReportChannel& channel) {
    // The size a player shows, so that the converter's letter box is worked out for the picture's real shape.
    const auto [width, height] = ShownSize(info);
    const std::int64_t facts[][2] = {{NOTIFY_DURATION, DurationReport(info.duration)},
                                     {NOTIFY_WIDTH, width},
                                     {NOTIFY_HEIGHT, height},
                                     {NOTIFY_FRAME_RATE, FrameRateReport(info.frameRate)}};
    for (const auto& fact : facts)
        if (channel.Report(static_cast<int>(fact[0]), fact[1]) || StopSignalReceived())
            return true;
    return false;
}

int RunProbe(const EncodeJob& job, ReportChannel& channel) {
    std::string why;
    // A pipe or a device is not opened at all: reading one could wait for ever.
    auto info = IsRegularFile(job.inputPath, why) ? Probe(job.inputPath, why) : std::nullopt;
    if (!info) {
        Fail(job.inputPath + ": " + why);
        channel.Report(NOTIFY_DURATION, 0);
        return ENCODER_BAD_INPUT;
    }
    if (ReportFacts(*info, channel))
        return channel.Broken() ? ProtocolError() : ENCODER_STOPPED;
    return ENCODER_OK;
}

// Each input's facts in turn, or why it can't be read; one refused file doesn't end the list.
int RunProbeList(const EncodeJob& job, ReportChannel& channel) {
    const auto stopped = [&] { return channel.Broken() ? ProtocolError() : ENCODER_STOPPED; };
    for (size_t place = 0; place < job.probeList.size(); ++place) {
        const std::string& path = job.probeList[place];
        if (channel.Report(NOTIFY_PROBE_FILE, static_cast<std::int64_t>(place)) || StopSignalReceived())
            return stopped();
        std::string why;
        auto info = IsRegularFile(path, why) ? Probe(path, why) : std::nullopt;
        if (!info) {
            Fail(path + ": " + why);
            if (channel.Report(NOTIFY_PROBE_REFUSED, static_cast<std::int64_t>(place), why) || StopSignalReceived())
                return stopped();
            continue;
        }
        if (ReportFacts(*info, channel))
            return stopped();
    }
    return ENCODER_OK;
}

// The last lines of FFmpeg's error output.
std::string LastLines(const std::string& text, int count) {
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos)
        return {};
    size_t start = end + 1;
    for (int i = 0; i < count && start > 0; ++i) {
        size_t nl = text.rfind('\n', start - 1);
        start = nl == std::string::npos ? 0 : nl;
        if (nl == std::string::npos)
            break;
    }
    std::string lines = text.substr(start, end + 1 - start);
    if (!lines.empty() && lines.front() == '\n')
        lines.erase(0, 1);
    return lines;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

int WriteFailed(const std::string& reason) {
    Fail(reason == "the disk is full" ? reason : "the output could not be written: " + reason);
    return ENCODER_WRITE_FAILED;
}

int RunConvert(const EncodeJob& job, ReportChannel& channel) {
    if (job.video.encoder.empty()) {
        Fail("no video codec chosen (-ovc)");
        return ENCODER_BAD_PARAMETERS;
    }
    std::string why;
    if (!IsRegularFile(job.inputPath, why)) {
        Fail(job.inputPath + ": " + why);
        return ENCODER_BAD_INPUT;
    }
    // Nothing is ever written over: not an older file, not a link, not the input, not another run's output.
    if (Exists(job.outputPath)) {
        Fail("the output " + job.outputPath + " exists already");
        return ENCODER_BAD_PARAMETERS;
    }
    // A stream to be copied is looked at before anything is written: whether the container can hold it.
    if (job.video.Copies() || job.audio.Copies()) {
        const auto facts = ReadMediaFile(job.inputPath, why);
        if (!facts) {
            Fail(job.inputPath + ": " + why);
            return ENCODER_BAD_INPUT;
        }
        if (const std::string refusal = CopyRefusal(job, *facts, MuxerCanHold); !refusal.empty()) {
            Fail(refusal);
            return ENCODER_CANNOT_COPY;
        }
    }
    PrivateOutput output(job.outputPath, why);
    if (!output.ok())
        return WriteFailed(why);
    const std::vector<std::string> command = FfmpegArguments(job, output.WritePath());
    // For diagnosis and for the benchmark, which runs the same command bare: one argument a line.
    if (std::getenv("ZEZOZOV_SHOW_COMMAND"))
        for (const auto& arg : command)
            std::cerr << "zezozov: ffmpeg argument: " << arg << '\n';
    ChildProcess ffmpeg;
    if (const char* limit = std::getenv("ZEZOZOV_TEST_FILE_SIZE_LIMIT"))
        ffmpeg.SetFileSizeLimitForTest(std::atoll(limit));
    std::string error;
    if (!ffmpeg.Start(command, error)) {
        Fail(error);
        return ENCODER_FAILED;
    }
    ProgressReader progress;
    std::string errors, writeFailure;
    size_t scanned = 0; // the error output up to here has been looked at for write failures
    bool stop = false;
    for (;;) {
        std::string out;
        bool open = ffmpeg.Read(out, errors, 250);
        // FFmpeg 5.1 may end with status 0 after a failed write: its error lines are the only sign.
        for (size_t nl; writeFailure.empty() && (nl = errors.find('\n', scanned)) != std::string::npos;
             scanned = nl + 1)
            writeFailure = WriteFailure(std::string_view(errors).substr(scanned, nl - scanned));
        if (errors.size() > 2 * kErrorKeep) {
            const size_t drop = errors.size() - kErrorKeep;
            errors.erase(0, drop);
            scanned = scanned > drop ? scanned - drop : 0;
        }
        for (int position : progress.Feed(out)) {
            if (channel.Report(NOTIFY_POSITION, position)) {
                stop = true;
                break;
            }
        }
        if (stop || StopSignalReceived() || !open)
            break;
    }
    if (stop || StopSignalReceived()) {
        ffmpeg.AskToQuit();
        if (!ffmpeg.WaitFor(kQuitGraceMs)) {
            ffmpeg.Kill();
            ffmpeg.Wait();
        }
        if (channel.Broken())
            return ProtocolError();
        Fail("stopped on request");
        return ENCODER_STOPPED;
    }
    int status = ffmpeg.Wait();
    if (writeFailure.empty() && !errors.empty() && errors.back() != '\n')
        writeFailure = WriteFailure(std::string_view(errors).substr(scanned));
    if (!writeFailure.empty())
        return WriteFailed(writeFailure);
    if (status != 0) {
        std::string lines = LastLines(errors, 10);
        // The source is only looked at closely once FFmpeg has failed, so that a conversion that works costs no
        // second opening of the file: an input that can't be probed is the input's fault, not the encoding's.
        if (!Probe(job.inputPath, why)) {
            Fail(job.inputPath + ": " + why);
            return ENCODER_BAD_INPUT;
        }
        Fail("ffmpeg failed (status " + std::to_string(status) + ")" + (lines.empty() ? "" : ":\n" + lines));
        return ENCODER_FAILED;
    }
    if (!output.PutInPlace(error))
        return WriteFailed(error);
    return ENCODER_OK;
}

} // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    std::vector<std::string> args(argv + 1, argv + argc);
    ParseResult parsed = ParseArguments(args);
    if (!parsed.ok()) {
        Fail(parsed.error);
        return ENCODER_BAD_PARAMETERS;
    }
    ReportChannel channel(std::cin, std::cout);
    switch (parsed.job.mode) {
    case RunMode::Probe:
        return RunProbe(parsed.job, channel);
    case RunMode::ProbeList:
        return RunProbeList(parsed.job, channel);
    case RunMode::Convert:
        break;
    }
    return RunConvert(parsed.job, channel);
}
