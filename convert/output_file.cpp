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

// GIO names a file it moves to the trash by the trash's info files alone, so a file in the trash's files/ without
// one (left by a move to the trash cut short) would be replaced by ours. Such a file first gets an info file of its
// own: GIO then takes the next name, and the stray file shows in the trash, where the user may restore or delete it.
// Only the home trash, which GIO uses for files on the home folder's disk, is looked at.
void AdoptStrayTrashFile(const std::string& path) {
    struct stat file {
    }, home{};
    if (::lstat(path.c_str(), &file) != 0 || ::stat(g_get_home_dir(), &home) != 0 || file.st_dev != home.st_dev)
        return;
    const std::filesystem::path trash = std::filesystem::path(g_get_user_data_dir()) / "Trash";
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string info = (trash / "info" / (name + ".trashinfo")).string();
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(trash / "files" / name, error)))
        return;
    ::mkdir((trash / "info").c_str(), 0700); // as GIO would make it
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // it has its info file, or the trash can't take one: GIO decides
    // Where it came from is not known; it is restored beside the file that takes its name now.
    char* where = g_uri_escape_string(path.c_str(), "/", FALSE);
    GDateTime* now = g_date_time_new_now_local();
    char* when = g_date_time_format(now, "%Y-%m-%dT%H:%M:%S");
    const std::string text = std::string("[Trash Info]\nPath=") + where + "\nDeletionDate=" + when + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written)
        ::unlink(info.c_str());
    g_free(when);
    g_date_time_unref(now);
    g_free(where);
}

bool MoveToTrash(const std::string& path, std::string* why) {
    AdoptStrayTrashFile(path);
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    const bool trashed = g_file_trash(file, nullptr, &error);
    if (!trashed && why)
        *why = error ? error->message : "the trash could not take it";
    g_clear_error(&error);
    g_object_unref(file);
    return trashed;
}
