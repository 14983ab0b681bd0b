#include <QApplication>

#include "app/converter_app.h"
#include "app/program_dir.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    SetProgramPath(argc > 0 ? argv[0] : "");
    CConverterApp app;
    app.InitInstance();
    return app.ExitInstance();
}
