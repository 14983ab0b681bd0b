// Benchmark driver: converts the files named on the command line through the real main window (offscreen),
// exactly as the Convert command does, and prints the batch's wall time and the program's own CPU time
// while it waited for the encoder.
//   batch_driver <program dir> <output folder> <format> <file>...

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QLineEdit>

#include "bench/bench_prompts.h"
#include "settings/conversion_settings.h"
#include "controls/dialog_template.h"
#include "settings/program_dir.h"
#include "convert/file_table.h"
#include "mainwin/converter_dlg.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <program dir> <output folder> <format> <file>...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetProgramPath(std::string(argv[1]) + "/quor-zodi-converter");

    BenchPrompts prompts;
    ConversionSettings settings;
    CConverterDlg dlg(settings, prompts);
    dlg.show();
    QStringList files;
    for (int i = 4; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    dlg.AddFiles(files);
    if (dlg.files().fileCount != files.size()) {
        std::fprintf(stderr, "probing failed: %s\n", qPrintable(prompts.texts.join('\n')));
        return 1;
    }
    settings.outputFormat = std::atoi(argv[3]);
    FindControl<QLineEdit>(&dlg, CConverterDlg::IDC_OUTPUT_FOLDER)->setText(QString::fromLocal8Bit(argv[2]));
    prompts.texts.clear();

    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    dlg.OnCommand(CConverterDlg::IDC_CONVERT_BUTTON);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;

    if (prompts.texts.size() != 1 || !prompts.texts[0].startsWith("Mission accomplished!")) {
        std::fprintf(stderr, "batch failed: %s\n", qPrintable(prompts.texts.join('\n')));
        return 1;
    }
    std::printf("program wall seconds: %.3f\n", wall);
    std::printf("program wait cpu seconds: %.3f\n", cpu);
    return 0;
}
