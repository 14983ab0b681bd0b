#include "mainwin/tips_reader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "settings/ini_file.h"

namespace {

constexpr const char* kSection = "Tip";
constexpr const char* kStartUpKey = "StartUp";
constexpr const char* kFilePosKey = "FilePos";
constexpr const char* kTimeStampKey = "TimeStamp";

// Read as the profile functions read numbers: leading digits with an optional sign, 0 without any.
long ProfileInt(const IniFile& profile, const char* key) {
    const std::string text = profile.Get(kSection, key, "0");
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value > INT_MAX || value < INT_MIN)
        return value < 0 ? INT_MIN : INT_MAX;
    return value;
}

// Opens `path` for reading when it is a regular file. A pipe or a device (a link to /dev/zero) would hold the
// start-up for ever, so it counts as missing; opening does not wait for a pipe's writer.
std::FILE* OpenRegularFile(const std::string& path) {
#ifdef _WIN32
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) ? std::fopen(path.c_str(), "r") : nullptr;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status;
    std::FILE* file = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0)
        file = fdopen(fd, "r");
    if (!file)
        ::close(fd);
    return file;
#endif
}

bool IsTip(const std::string& line) {
    return !line.empty() && line[0] != ' ' && line[0] != '\t' && line[0] != '\n' && line[0] != ';';
}

} // namespace

std::string TipsFileTimeStamp(std::FILE* file) {
#ifdef _WIN32
    struct _stat status;
    if (_fstat(_fileno(file), &status) != 0)
        return {};
#else
    struct stat status;
    if (fstat(fileno(file), &status) != 0)
        return {};
#endif
    const std::time_t changed = status.st_ctime;
    const char* text = std::ctime(&changed);
    std::string stamp = text ? text : "";
    while (!stamp.empty() && (stamp.back() == '\n' || stamp.back() == ' ' || stamp.back() == '\t'))
        stamp.pop_back();
    return stamp;
}

TipsReader::TipsReader(std::string tipsPath, std::string profilePath) : m_profilePath(std::move(profilePath)) {
    const IniFile profile = IniFile::Load(m_profilePath);
    m_showAtStartup = ProfileInt(profile, kStartUpKey) == 0;
    long offset = ProfileInt(profile, kFilePosKey);

    m_file = OpenRegularFile(tipsPath);
    if (!m_file) {
        m_tipText = kTipsFileMissing;
        return;
    }
    const std::string stamp = TipsFileTimeStamp(m_file);
    if (stamp != profile.Get(kSection, kTimeStampKey, "")) {
        WriteProfile(kTimeStampKey, stamp);
        offset = 0;
    }
    if (std::fseek(m_file, offset, SEEK_SET) != 0) {
        // The panel stays empty; "Next Tip" goes on from wherever the file now stands.
        m_trouble = true;
        return;
    }
    NextTip();
}

TipsReader::~TipsReader() {
    if (!m_file)
        return;
    const long position = std::ftell(m_file);
    if (position >= 0 && position <= INT_MAX)
        WriteProfile(kFilePosKey, std::to_string(position));
    std::fclose(m_file);
}

bool TipsReader::TakeTrouble() {
    const bool trouble = m_trouble;
    m_trouble = false;
    return trouble;
}

void TipsReader::NextTip() {
    if (!CanAdvance())
        return;
    char buffer[kLineBuffer];
    bool rewound = false;
    for (;;) {
        if (!std::fgets(buffer, sizeof buffer, m_file)) {
            if (rewound) {
                // A whole pass from the first line found no tip: say so once instead of searching forever.
                m_tipText = kTipsTrouble;
                m_exhausted = true;
                return;
            }
            std::clearerr(m_file);
            if (std::fseek(m_file, 0, SEEK_SET) != 0) {
                // Reading on would only meet the same end again.
                m_tipText.clear();
                m_trouble = true;
                m_exhausted = true;
                return;
            }
            rewound = true;
            continue;
        }
        std::string line = buffer;
        // A file written with CR LF line ends reads as it would in the text mode of the platforms that use
        // them, so its empty lines stay empty lines.
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
            line.erase(line.size() - 2, 1);
        if (IsTip(line)) {
            m_tipText = std::move(line);
            return;
        }
    }
}

void TipsReader::StoreShowAtStartup(bool show) const {
    WriteProfile(kStartUpKey, show ? "0" : "1");
}

void TipsReader::WriteProfile(const char* key, const std::string& value) const {
    // As with the profile functions, a write that fails goes unnoticed: the tip only starts over next time.
    IniFile profile = IniFile::Load(m_profilePath);
    profile.Set(kSection, key, value);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_profilePath).parent_path(), ec);
    profile.Save(m_profilePath, nullptr);
}
