#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include "app/command_line.h"
#include "app/command_line_batch.h"
#include "app/converter_app.h"
#include "settings/program_dir.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    SetProgramPath(argv[0]); // for the name in messages; the resolved path follows once Qt is up
    if (WantsNoWindow(args)) {
        QCoreApplication qt(argc, argv);
        // The resolved path of the program file: started through the link in bin/, it still finds the files
        // beside itself; a conversion, which changes the current folder, does not lose them either.
        SetProgramPath(QCoreApplication::applicationFilePath().toStdString());
        return RunCommandLineBatch(ParseCommandLine(args), std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    }

    // A mistake is reported before the window needs a display; only an unknown single-dash option may still be
    // one of Qt's own (-platform, -style, ...), which QApplication takes out below.
    if (const CommandLine raw = ParseCommandLine(args);
        !raw.error.empty() && (raw.unknownOption.empty() || raw.unknownOption.rfind("--", 0) == 0))
        return RunCommandLineBatch(raw, std::cout, std::cerr, false);

    QApplication qt(argc, argv);
    SetProgramPath(QCoreApplication::applicationFilePath().toStdString());
    // QApplication has taken its own options (-platform, -style, ...) out of argv; the rest keep their bytes.
    const CommandLine command = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!command.error.empty())
        return RunCommandLineBatch(command, std::cout, std::cerr, false);

    CConverterApp app;
    app.SetStartupFiles(command.files);
    app.InitInstance();
    return app.ExitInstance();
}
