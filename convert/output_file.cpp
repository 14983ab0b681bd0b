#include "convert/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gio/gio.h>

#include "convert/batch_helpers.h"
#include "encoder/protocol.h"

namespace {

// Gives `from` the name `to` unless something has that name already (then false, errno EEXIST).
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

// Holds an exclusive lock on a folder while it lives (a folder that can't be opened is not locked).
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

} // namespace

FileIdentity IdentifyRegularFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::string SourceProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return "it is not a regular file";
}

bool HoldsData(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

std::string PrivateOutputPath(const std::string& folder, const std::string& extension) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string name = ".qzc-";
    for (int i = 0; i < 12; ++i)
        name += kLetters[pick(random)];
    const std::string separator = !folder.empty() && folder.back() == '/' ? "" : "/";
    return folder + separator + name + "." + extension;
}

void RemoveLeftovers(const std::string& privatePath) {
    ::unlink(privatePath.c_str());
    const std::string prefix = std::filesystem::path(PrivateFolderPrefix(privatePath)).filename().string();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FolderOf(privatePath), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
            std::filesystem::remove_all(entry.path(), ec);
    }
}

Placement PutInPlace(const std::string& privatePath, const std::string& plain, const std::string& intended,
                     const FileIdentity& older, const std::function<bool(const std::string&)>& taken) {
    const FolderLock lock(FolderOf(intended));
    Placement placed;
    bool intendedFree = true;
    if (older.present && IdentifyRegularFile(intended) == older) {
        if (MoveToTrash(intended))
            placed.trashed = intended;
        else
            intendedFree = false; // the older file stays where it is: the new one takes a numbered name
    }
    for (int number = 1; number < 100000; ++number) {
        const std::string name = number == 1 ? intended : NumberedPath(plain, number);
        if (number == 1 ? !intendedFree : name == intended || taken(name))
            continue;
        if (RenameWithoutReplacing(privatePath, name)) {
            placed.path = name;
            return placed;
        }
        if (errno != EEXIST) {
            placed.error = std::strerror(errno);
            return placed;
        }
    }
    placed.error = "every numbered name is taken";
    return placed;
}

bool MoveToTrash(const std::string& path, std::string* why) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error);
    if (!trashed && why)
        *why = error ? error->message : "the trash could not take it";
    g_clear_error(&error);
    g_object_unref(file);
    return trashed;
}
