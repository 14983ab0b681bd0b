#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "convert/encoder_process.h"

// Starts the encoder program, one run at a time, and waits for each while the windows stay responsive.
class EncoderRunner {
public:
    explicit EncoderRunner(QString program) : m_program(std::move(program)) {}

    const QString& Program() const { return m_program; }

    // Runs the encoder with `arguments` and returns once it has ended. Each report goes to `onReport`, whose
    // answer is the reply. While the encoder has been quiet for the stall time, `stopWhenQuiet` (when given)
    // is asked every so often; true ends the encoder without its cooperation.
    EncoderProcess::Result Run(const std::vector<std::string>& arguments, const EncoderProcess::ReportHandler& onReport,
                               const std::function<bool()>& stopWhenQuiet = {}) const;

    // Each encoder in a process group of its own (see EncoderProcess::SetOwnProcessGroup).
    void SetOwnProcessGroup(bool own) { m_ownProcessGroup = own; }

    // Test seam: how long the encoder must have been quiet before `stopWhenQuiet` is asked.
    void SetStallTimeoutForTest(int ms) { m_stallTimeoutMs = ms; }

private:
    QString m_program;
    int m_stallTimeoutMs = 3000;
    bool m_ownProcessGroup = false;
};
