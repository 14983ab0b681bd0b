#include <QApplication>

#include "app/converter_app.h"
#include "settings/program_dir.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    // The full path, not argv[0] as typed: a program started through PATH still finds the files beside it,
    // and a conversion, which changes the current folder, does not lose them.
    SetProgramPath(QCoreApplication::applicationFilePath().toStdString());
    CConverterApp app;
    app.InitInstance();
    return app.ExitInstance();
}
