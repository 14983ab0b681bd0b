#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The steps of writing one output without losing a file, as the batch takes them: the encoder writes under a fresh
// private name (PrivateOutputPath), the batch checks what it wrote, then puts it in place (PutInPlace), an older
// file of the name going to the trash first; whatever a run that did not convert left goes (RemoveLeftovers).
// File names are the bytes they are on disk.

// Which file a name held, to tell later whether it still holds the same one.
struct FileIdentity {
    bool present = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The regular file named `path` (a link is not followed: it is no regular file), or none.
FileIdentity IdentifyRegularFile(const std::string& path);

// Why `path` can't be converted ("" when it can, or when it can't be looked at: the encoder then says why): a pipe,
// a device or a folder, which would keep the encoder waiting for ever. Looked at without opening it.
std::string SourceProblem(const std::string& path);

// Whether `path` is a regular file with something in it.
bool HoldsData(const std::string& path);

// A fresh, unpredictable hidden name in `folder` with `extension`, for the encoder to write to: it creates the
// file itself, without replacing anything, so a second run in the same folder never meets the same name.
std::string PrivateOutputPath(const std::string& folder, const std::string& extension);

// Removes what a run that did not convert may have left for `privatePath`: the file of that name and the
// private folders an encoder ended from outside left beside it.
void RemoveLeftovers(const std::string& privatePath);

struct Placement {
    std::string path;    // where the output now is; empty when it could not be put anywhere
    std::string trashed; // the older file that went to the trash, if any
    std::string error;   // why it could not be put in place
};

// Gives the checked output at `privatePath` its final name: `intended`, else the first free numbered name of
// `plain` ("clip (2).avi") that `taken` doesn't claim. An older file at `intended` goes to the desktop's trash
// first, but only while the name still holds `older`, the file found there when the output was planned; where the
// trash can't take it, the new file gets a numbered name. Nothing is ever replaced. The folder is locked
// meanwhile, so that two runs of the program never trash each other's new files.
Placement PutInPlace(const std::string& privatePath, const std::string& plain, const std::string& intended,
                     const FileIdentity& older, const std::function<bool(const std::string&)>& taken);

// Moves `path` to the desktop's trash with GIO, which applies the trash rules' owner and permission checks. False,
// with the reason in `why`, where no trash can take it.
bool MoveToTrash(const std::string& path, std::string* why = nullptr);
