#include "convert/encoder_runner.h"

#include <QStringList>
#include <QTimer>

namespace {
// How often a quiet encoder is looked at.
constexpr int kStallCheckMs = 250;
} // namespace

EncoderProcess::Result EncoderRunner::Run(const std::vector<std::string>& arguments,
                                          const EncoderProcess::ReportHandler& onReport,
                                          const std::function<bool()>& stopWhenQuiet) const {
    QStringList args;
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);

    EncoderProcess encoder;
    encoder.SetReportHandler(onReport);
    encoder.SetOwnProcessGroup(m_ownProcessGroup);

    // A stop normally happens at the encoder's next report; an encoder that has gone quiet would never get
    // there, so it is asked without one.
    QTimer stallCheck;
    if (stopWhenQuiet) {
        stallCheck.setInterval(kStallCheckMs);
        QObject::connect(&stallCheck, &QTimer::timeout, &encoder, [&] {
            if (!encoder.IsRunning() || encoder.MsSinceLastReport() < m_stallTimeoutMs)
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
    return encoder.Run(m_program, args);
}
