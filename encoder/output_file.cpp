#include "encoder/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "encoder/protocol.h"

namespace zezozov {

PrivateOutput::PrivateOutput(const std::string& outputPath, std::string& error) : m_outputPath(outputPath) {
    std::string folder = PrivateFolderPrefix(outputPath) + "XXXXXX";
    if (!::mkdtemp(folder.data())) {
        error = SystemReason(errno);
        return;
    }
    m_folder = folder;
    m_writePath = m_folder + "/" + std::filesystem::path(outputPath).filename().string();
}

PrivateOutput::~PrivateOutput() {
    if (m_folder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

bool PrivateOutput::PutInPlace(std::string& error) {
    if (RenameWithoutReplacing(m_writePath, m_outputPath))
        return true;
    error = errno == EEXIST ? "the output " + m_outputPath + " appeared meanwhile" : SystemReason(errno);
    return false;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a new link fails as well when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

std::string SystemReason(int error) {
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full";
    return std::strerror(error);
}

bool IsRegularFile(const std::string& path, std::string& why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        why = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    if (S_ISREG(st.st_mode))
        return true;
    why = "it is not a regular file";
    return false;
}

} // namespace zezozov
