#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "convert/encoder_process.h"

// Starts the encoder program, one run at a time, and waits for each while the windows stay responsive.
class EncoderRunner {
public:
    // `program`: the encoder's path, as the bytes of the file name.
    explicit EncoderRunner(std::string program) : m_program(std::move(program)) {}

    // The encoder's path for messages.
    QString Program() const { return QString::fromStdString(m_program); }

    // Runs the encoder with `arguments` and returns once it has ended. Each report goes to `onReport`, whose
    // answer is the reply. While the encoder has been quiet for the stall time, `stopWhenQuiet` (when given)
    // is asked every so often; true ends the encoder without its cooperation. `stopNow` (when given) is looked at
    // every so often whatever the encoder does; true ends it at once (a probe, which has no reports to answer
    // with a stop).
    EncoderProcess::Result Run(const std::vector<std::string>& arguments, const EncoderProcess::ReportHandler& onReport,
                               const std::function<bool()>& stopWhenQuiet = {},
                               const std::function<bool()>& stopNow = {}) const;

    // Each encoder in a process group of its own (see EncoderProcess::SetOwnProcessGroup).
    void SetOwnProcessGroup(bool own) { m_ownProcessGroup = own; }

    // Test seam: how long the encoder must have been quiet before `stopWhenQuiet` is asked.
    void SetStallTimeoutForTest(int ms) { m_stallTimeoutMs = ms; }

private:
    std::string m_program;
    int m_stallTimeoutMs = 3000;
    bool m_ownProcessGroup = false;
};
