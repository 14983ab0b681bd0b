#include "settings/write_file_safely.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Creates `path` exclusively: an existing file or link of that name makes it fail (EEXIST).
int CreateExclusively(const fs::path& path, fs::perms mode) {
#ifdef _WIN32
    return ::_open(path.string().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
#endif
}

// Writes everything and flushes it to the disk; errno tells why not.
bool WriteAndSync(int fd, std::string_view content) {
    while (!content.empty()) {
#ifdef _WIN32
        const int written = ::_write(fd, content.data(), static_cast<unsigned>(content.size()));
#else
        const ssize_t written = ::write(fd, content.data(), content.size());
#endif
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
#ifdef _WIN32
    return ::_commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

bool Close(int fd) {
#ifdef _WIN32
    return ::_close(fd) == 0;
#else
    return ::close(fd) == 0;
#endif
}

} // namespace

bool WriteFileSafely(const std::string& path, std::string_view content, std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    std::error_code ec;
    fs::path target = path;
    // A link the user made to keep the file elsewhere stays a link; the file it points to is replaced.
    if (fs::is_symlink(target, ec))
        target = fs::weakly_canonical(target, ec);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    // The permission bits are checked, not only the outcome of the write: a rename would happily replace a
    // read-only file, and a privileged user may write anywhere, yet the user has marked these read-only.
    const auto writable = [](const fs::file_status& st) {
        return (st.permissions() & fs::perms::owner_write) != fs::perms::none;
    };
    const auto folderStatus = fs::status(folder, ec);
    if (ec || !fs::is_directory(folderStatus))
        return fail("the folder " + folder.string() + " does not exist");
    if (!writable(folderStatus))
        return fail("the folder " + folder.string() + " is read-only");
    const auto fileStatus = fs::status(target, ec);
    const bool exists = !ec && fs::exists(fileStatus);
    if (exists && !writable(fileStatus))
        return fail("the file is read-only");
    const fs::perms mode = exists ? fileStatus.permissions() & fs::perms::all
                                  : fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                        fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;

    // A hidden name nobody can guess, so that nothing can be put in its way beforehand.
    std::random_device random;
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x%08x", random(), random());
        temp = folder / ("." + target.filename().string() + suffix);
        fd = CreateExclusively(temp, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail("a new file could not be created in " + folder.string() + ": " + std::strerror(errno));

    const bool written = WriteAndSync(fd, content);
    const int writeError = errno;
#ifndef _WIN32
    // The creation mode passed the umask; an existing file's own permissions are kept exactly.
    if (exists)
        ::fchmod(fd, static_cast<mode_t>(mode));
#endif
    if (!Close(fd) || !written) {
        fs::remove(temp, ec);
        return fail(std::string("the disk refused the data: ") + std::strerror(written ? errno : writeError));
    }
    fs::rename(temp, target, ec);
    if (ec) {
        const auto reason = ec.message();
        fs::remove(temp, ec);
        return fail(reason);
    }
#ifndef _WIN32
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
    return true;
}
