// Benchmark driver: adds the files and folders named on the command line to the real main window (offscreen), as
// "Add folder..." and a drop do, with the list kept in a file as the program keeps it, and prints how long the
// adding took and how many files were listed and refused.
//   probe_driver <program dir> <kept list file> <file or folder>...

#include <chrono>
#include <cstdio>

#include <QApplication>

#include "bench/bench_prompts.h"
#include "mainwin/converter_dlg.h"
#include "settings/conversion_settings.h"
#include "settings/program_dir.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <program dir> <kept list file> <file or folder>...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetProgramPath(std::string(argv[1]) + "/quor-zodi-converter");

    BenchPrompts prompts;
    ConversionSettings settings;
    CConverterDlg dlg(settings, prompts);
    dlg.show();
    dlg.KeepListIn(argv[2]);
    std::vector<std::string> paths(argv + 3, argv + argc);

    const auto start = std::chrono::steady_clock::now();
    dlg.AddFiles(paths);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("listed: %d\n", dlg.files().fileCount);
    std::printf("messages: %lld\n", static_cast<long long>(prompts.texts.size()));
    std::printf("program wall seconds: %.3f\n", wall);
    return 0;
}
