#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What became of one file of a batch.
enum class FileOutcome {
    Converted,  // the encoder finished, the output was checked and put in place
    Failed,     // the encoder failed, wrote nothing, or could not be started; see errorText
    Stopped,    // the user stopped the batch during this file; nothing of it was kept
    NotStarted, // the batch ended before this file
};

struct FileResult {
    std::string inputPath;
    std::string outputPath;
    FileOutcome outcome = FileOutcome::NotStarted;
    std::string errorText;   // for a failed file: the encoder's last error line, or why it did not run
    std::string plainPath;   // the name the output would have had, when it got a numbered one instead
    std::string trashedPath; // an old file of the output's name, moved to the trash
    // A converted file whose source ended early: seconds converted, against the source's playing time.
    bool endedEarly = false;
    double convertedSeconds = 0;
    int row = -1; // the file's place in the list
};

// The end of a batch: one result per listed file, in list order, and the message for the user.
struct BatchResult {
    enum class Severity { None, Information, Warning, Error };

    bool started = false;        // false: refused before anything ran (an empty list, a folder that can't be used)
    bool folderAccepted = false; // the output folder passed its checks and exists
    std::vector<FileResult> files;
    std::int64_t elapsedSeconds = 0;
    std::string message; // empty after a stop: the user knows already
    std::string notes;   // the outputs that got a numbered name, ended early or sent an older file to the trash
    Severity severity = Severity::None;

    int CountOf(FileOutcome outcome) const {
        int n = 0;
        for (const FileResult& file : files)
            n += file.outcome == outcome ? 1 : 0;
        return n;
    }
};
