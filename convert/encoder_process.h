#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs one zezozov process and waits for it while the windows stay responsive. Each report line the
// encoder writes ("<code> <value>") goes to the report handler, whose answer is written back as the
// encoder's reply line; a line that doesn't parse is answered with 0, and one longer than kMaxReportLine ends
// the encoder as failed. At most the last 64 KiB of its error output are kept.
class EncoderProcess : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Finished, Failed, Stopped, CouldNotStart };

    struct Result {
        Outcome outcome = Outcome::CouldNotStart;
        int exitCode = -1;
        QString errorText; // the encoder's last error lines, or why it could not start
    };

    // Answers a report; 1 asks the encoder to stop. `text` is what follows the value on the line, if anything.
    using ReportHandler = std::function<int(unsigned code, std::int32_t value, const std::string& text)>;

    explicit EncoderProcess(QObject* parent = nullptr);

    void SetReportHandler(ReportHandler handler) { m_onReport = std::move(handler); }
    // Starts the encoder in a process group of its own, so that a Ctrl-C on the terminal reaches only the
    // program, which then stops the encoder the usual way (the command line's batch).
    void SetOwnProcessGroup(bool own) { m_ownProcessGroup = own; }

    // Starts `program` with `arguments` and returns once it has ended; events keep being processed meanwhile.
    // Program and arguments are passed on as the bytes they are, so that a file name that is not valid UTF-8
    // still names its file. The encoder ends when this program does, however it ends.
    Result Run(const std::string& program, const std::vector<std::string>& arguments);

    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Milliseconds since the last report (or since the start when none came yet).
    qint64 MsSinceLastReport() const { return m_lastReport.elapsed(); }
    // Ends the encoder without its cooperation: a terminate request, then a kill after a short grace time.
    void Kill();

private:
    void ReadReports();
    void ReadErrors();
    // The reply to one report line.
    int Answer(const QByteArray& line);
    // A line too long to be a report: the encoder is ended and the run fails.
    void BreakProtocol();

    QProcess m_process;
    ReportHandler m_onReport;
    QByteArray m_pendingOut;
    QByteArray m_errorTail;
    QElapsedTimer m_lastReport;
    bool m_inReport = false;
    bool m_killed = false;
    bool m_ownProcessGroup = false;
    bool m_protocolError = false;
};

// Processes the events that are waiting, once, and returns.
void PumpMessage();
