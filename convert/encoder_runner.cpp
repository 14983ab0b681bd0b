#include "convert/encoder_runner.h"

#include <QTimer>

namespace {
// How often a quiet encoder is looked at.
constexpr int kStallCheckMs = 250;
} // namespace

EncoderProcess::Result EncoderRunner::Run(const std::vector<std::string>& arguments,
                                          const EncoderProcess::ReportHandler& onReport,
                                          const std::function<bool()>& stopWhenQuiet,
                                          const std::function<bool()>& stopNow) const {
    EncoderProcess encoder;
    encoder.SetReportHandler(onReport);
    encoder.SetOwnProcessGroup(m_ownProcessGroup);

    // A stop normally happens at the encoder's next report; an encoder that has gone quiet would never get
    // there, so it is asked without one.
    QTimer stallCheck;
    if (stopWhenQuiet || stopNow) {
        stallCheck.setInterval(kStallCheckMs);
        QObject::connect(&stallCheck, &QTimer::timeout, &encoder, [&] {
            if (!encoder.IsRunning())
                return;
            if (stopNow && stopNow()) {
                stallCheck.stop();
                encoder.Kill();
                return;
            }
            if (!stopWhenQuiet || encoder.MsSinceLastReport() < m_stallTimeoutMs)
                return;
            stallCheck.stop();
            if (stopWhenQuiet()) {
                encoder.Kill();
                return;
            }
            stallCheck.start();
        });
        stallCheck.start();
    }
    return encoder.Run(m_program, arguments);
}
