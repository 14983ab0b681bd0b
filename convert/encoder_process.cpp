#include "convert/encoder_process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "encoder/protocol.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {
// How much of the encoder's error output is kept for the failure message.
constexpr int kErrorTailBytes = 64 * 1024;
constexpr int kKillGraceMs = 1000;
} // namespace

EncoderProcess::EncoderProcess(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &EncoderProcess::ReadReports);
    connect(&m_process, &QProcess::readyReadStandardError, this, &EncoderProcess::ReadErrors);
}

EncoderProcess::Result EncoderProcess::Run(const std::string& program, const std::vector<std::string>& arguments) {
    m_pendingOut.clear();
    m_errorTail.clear();
    m_killed = false;
    m_protocolError = false;
    m_lastReport.start();

    Result result;
    QEventLoop loop;
    bool startFailed = false;
    const auto quit = connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    const auto failed = connect(&m_process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            startFailed = true;
            loop.quit();
        }
    });

#ifdef Q_OS_UNIX
    if (::access(program.c_str(), X_OK) != 0) {
        result.errorText = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    // QProcess would pass the arguments through QString, which can't hold a name that is not valid UTF-8: the
    // child starts the encoder itself with the bytes, prepared here, before the fork.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const bool ownGroup = m_ownProcessGroup;
    m_process.setChildProcessModifier([&argv, parent, ownGroup] {
#ifdef Q_OS_LINUX
        // The encoder is asked to stop when this program ends, even by SIGKILL; it stops FFmpeg in turn. A parent
        // that ended before this line is seen by the check that follows.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
#endif
        if (ownGroup)
            ::setpgid(0, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    });
    m_process.start(QFile::decodeName(program.c_str()), {}, QIODevice::ReadWrite);
#else
    QStringList args;
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);
    m_process.start(QString::fromStdString(program), args, QIODevice::ReadWrite);
#endif
    if (!startFailed && m_process.state() != QProcess::NotRunning)
        loop.exec();
    disconnect(quit);
    disconnect(failed);

    if (startFailed) {
        result.errorText = m_process.errorString();
        return result;
    }
    // Reports that arrived together with the end still count.
    ReadReports();
    ReadErrors();

    result.exitCode = m_process.exitCode();
    result.errorText = QString::fromLocal8Bit(m_errorTail).trimmed();
    if (m_protocolError) {
        result.outcome = Outcome::Failed;
        result.errorText = tr("the encoder broke the report protocol: a report line longer than %1 bytes")
                               .arg(static_cast<qulonglong>(kMaxReportLine));
    } else if (m_killed || result.exitCode == ENCODER_STOPPED)
        result.outcome = Outcome::Stopped;
    else if (m_process.exitStatus() == QProcess::NormalExit && result.exitCode == ENCODER_OK)
        result.outcome = Outcome::Finished;
    else {
        result.outcome = Outcome::Failed;
        if (m_process.exitStatus() == QProcess::CrashExit && result.errorText.isEmpty())
            result.errorText = tr("the encoder crashed");
    }
    return result;
}

void EncoderProcess::ReadReports() {
    // A report may open a modal question; reports are strictly one at a time (the encoder waits for each
    // reply), so anything that arrives meanwhile is read once the current report is answered.
    // A well-behaved encoder has at most one line on its way while it waits for a reply.
    if (m_inReport) {
        if (m_process.bytesAvailable() > static_cast<qint64>(kMaxReportLine))
            BreakProtocol();
        return;
    }
    if (m_protocolError)
        return;
    m_inReport = true;
    m_pendingOut += m_process.readAllStandardOutput();
    for (;;) {
        const auto nl = m_pendingOut.indexOf('\n');
        if (nl < 0 ? m_pendingOut.size() >= static_cast<qsizetype>(kMaxReportLine)
                   : nl + 1 > static_cast<qsizetype>(kMaxReportLine)) {
            BreakProtocol();
            break;
        }
        if (nl < 0)
            break;
        const QByteArray line = m_pendingOut.left(nl).trimmed();
        m_pendingOut.remove(0, nl + 1);
        const int reply = Answer(line);
        if (m_process.state() == QProcess::Running)
            m_process.write(reply == 1 ? "1\n" : "0\n");
        m_pendingOut += m_process.readAllStandardOutput();
    }
    m_inReport = false;
}

int EncoderProcess::Answer(const QByteArray& line) {
    // The encoder waits for a reply to every line it writes, so one that doesn't parse is answered too, with 0.
    // "<code> <value>", and for some codes " <text>" after it.
    const qsizetype space = line.indexOf(' ');
    const qsizetype textAt = space < 0 ? -1 : line.indexOf(' ', space + 1);
    bool codeOk = false, valueOk = false;
    const unsigned code = line.left(space).toUInt(&codeOk);
    const qlonglong value = line.mid(space + 1, textAt < 0 ? -1 : textAt - space - 1).toLongLong(&valueOk);
    if (space < 0 || !codeOk || !valueOk)
        return 0;
    m_lastReport.restart();
    const auto clamped = static_cast<std::int32_t>(std::clamp<qlonglong>(value, INT32_MIN, INT32_MAX));
    const std::string text = textAt < 0 ? std::string() : line.mid(textAt + 1).toStdString();
    return m_onReport ? m_onReport(code, clamped, text) : 0;
}

void EncoderProcess::BreakProtocol() {
    // No grace time: an encoder that floods its output must not fill the program's memory meanwhile.
    m_protocolError = true;
    m_pendingOut.clear();
    m_process.closeReadChannel(QProcess::StandardOutput);
    m_process.kill();
}

void EncoderProcess::ReadErrors() {
    m_errorTail += m_process.readAllStandardError();
    if (m_errorTail.size() > kErrorTailBytes)
        m_errorTail = m_errorTail.right(kErrorTailBytes);
}

void EncoderProcess::Kill() {
    if (!IsRunning())
        return;
    m_killed = true;
    m_process.terminate();
    QTimer::singleShot(kKillGraceMs, &m_process, [this] {
        if (IsRunning())
            m_process.kill();
    });
}

void PumpMessage() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
