#include "encoder/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace zezozov {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) {
    stopSignal = 1;
}

int DecodeStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 255;
}

} // namespace

void InstallSignalHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no SA_RESTART: a blocked read of the reply returns, so the stop is seen at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool StopSignalReceived() {
    return stopSignal != 0;
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_status) {
        Kill();
        Wait();
    }
    CloseFd(m_out);
    CloseFd(m_err);
}

void ChildProcess::CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

bool ChildProcess::Start(const std::vector<std::string>& argv, std::string& error) {
    int out[2], err[2], report[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<char*> cargs;
    for (const auto& s : argv)
        cargs.push_back(const_cast<char*>(s.c_str()));
    cargs.push_back(nullptr);

    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (m_pid == 0) {
#ifdef __linux__
        // Should the encoder itself be killed, FFmpeg must not run on unattended.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
#endif
        // The child starts with the default dispositions, not the encoder's.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGHUP, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        if (m_fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(m_fileSizeLimit), static_cast<rlim_t>(m_fileSizeLimit)};
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead of ending FFmpeg
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull < 0 || dup2(devnull, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0)
            _exit(127);
        execvp(cargs[0], cargs.data());
        int e = errno;
        (void)!write(report[1], &e, sizeof e);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    close(report[1]);
    m_out = out[0];
    m_err = err[0];
    int childErrno = 0;
    ssize_t n;
    do
        n = read(report[0], &childErrno, sizeof childErrno);
    while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == sizeof childErrno) {
        error = "cannot run " + argv[0] + ": " + std::strerror(childErrno);
        Wait();
        return false;
    }
    return true;
}

bool ChildProcess::Read(std::string& out, std::string& err, int timeoutMs) {
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    if (m_out < 0 && m_err < 0)
        return false;
    int ready = poll(fds, 2, timeoutMs); // negative fds are skipped by poll
    if (ready <= 0)
        return true; // timeout, or a signal: the caller looks again
    int* owners[2] = {&m_out, &m_err};
    std::string* sinks[2] = {&out, &err};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0)
            continue;
        char buffer[8192];
        ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0)
            sinks[i]->append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            CloseFd(*owners[i]);
    }
    return m_out >= 0 || m_err >= 0;
}

void ChildProcess::AskToQuit() {
    if (m_pid > 0 && !m_status)
        kill(m_pid, SIGTERM);
}

void ChildProcess::Kill() {
    if (m_pid > 0 && !m_status)
        kill(m_pid, SIGKILL);
}

int ChildProcess::Wait() {
    if (m_status)
        return *m_status;
    int status = 0;
    pid_t r;
    do
        r = waitpid(m_pid, &status, 0);
    while (r < 0 && errno == EINTR);
    m_status = r == m_pid ? DecodeStatus(status) : 255;
    return *m_status;
}

std::optional<int> ChildProcess::WaitFor(int timeoutMs) {
    if (m_status)
        return m_status;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_status = DecodeStatus(status);
            return m_status;
        }
        if (r < 0 && errno != EINTR) {
            m_status = 255;
            return m_status;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace zezozov
