#include "settings/program_dir.h"

namespace {
std::string& ProgramPath() {
    static std::string path;
    return path;
}
} // namespace

void SetProgramPath(const std::string& argv0) {
    ProgramPath() = argv0;
}

std::string GetProgramDir(const std::string& programPath) {
    const auto slash = programPath.rfind('/');
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

std::string GetProgramDir() {
    return GetProgramDir(ProgramPath());
}

std::string GetApplicationName(const std::string& programPath) {
    std::string name = programPath.substr(GetProgramDir(programPath).size());
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string GetApplicationName() {
    return GetApplicationName(ProgramPath());
}
