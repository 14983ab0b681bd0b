#pragma once

#include <string>
#include <vector>

#include "convert/batch_result.h"

// Where a running batch shows its progress and asks whether it may stop. The progress window is one sink;
// a terminal line is another.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // A batch begins: `text` is its first status line, the position is 0 of 1000.
    virtual void BatchStarted(const std::string& text) = 0;
    // The batch will convert the listed files at `rows`, in this order.
    virtual void FilesQueued(const std::vector<int>&) {}
    // Listed file `row` is being converted, `percent` of its playing time done (0 as it starts).
    virtual void FileProgress(int /*row*/, int /*percent*/) {}
    // A new status line and position in thousandths of the batch.
    virtual void ShowProgress(const std::string& text, int perMille) = 0;
    // After a stop request: true when the user confirms the stop.
    virtual bool ConfirmStop() = 0;
    // One file of the batch is done with, whatever became of it.
    virtual void FileFinished(const FileResult&) {}
    // The batch is over; `result.message`, when not empty, is for the user.
    virtual void BatchFinished(const BatchResult& result) = 0;
};
