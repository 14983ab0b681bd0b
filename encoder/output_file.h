#pragma once

#include <string>

namespace zezozov {

// Where FFmpeg writes an output: a fresh folder that only this user can enter, made beside the output with
// PrivateFolderPrefix and six random characters, so that no link, no file of the output's name and no second run
// can be written over. The folder goes again, with whatever it holds, when this object ends.
class PrivateOutput {
public:
    // Makes the folder; ok() is false, with the reason in `error`, when it can't be made.
    PrivateOutput(const std::string& outputPath, std::string& error);
    ~PrivateOutput();
    PrivateOutput(const PrivateOutput&) = delete;
    PrivateOutput& operator=(const PrivateOutput&) = delete;

    bool ok() const { return !m_folder.empty(); }
    // The name FFmpeg writes to: the output's own file name inside the private folder.
    const std::string& WritePath() const { return m_writePath; }
    // Gives the written file the output's name without replacing anything: false, with the reason, when that
    // name has been taken meanwhile or the system refuses.
    bool PutInPlace(std::string& error);

private:
    std::string m_outputPath;
    std::string m_folder;
    std::string m_writePath;
};

// Gives `from` the name `to` unless something has that name already (then false, errno EEXIST); never replaces.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

// The reason for a system error number, as the user reads it: "the disk is full" for a full disk or quota.
std::string SystemReason(int error);

// Whether `path` names a regular file (a link to one counts); otherwise `why` says what it is instead. Looked at
// without opening it: opening a pipe would wait for a writer.
bool IsRegularFile(const std::string& path, std::string& why);

} // namespace zezozov
