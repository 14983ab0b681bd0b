#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zezozov {

// A program run by the encoder (ffmpeg), with its standard output and error in pipes and its standard
// input on /dev/null. With output_file.cpp, the POSIX-specific part of the encoder.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess(); // a child still running is killed and reaped
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Test seam: the child's files can't grow beyond `bytes` (0: no limit); a write past it fails as on a full disk.
    void SetFileSizeLimitForTest(long long bytes) { m_fileSizeLimit = bytes; }
    // Starts argv[0], looked up on PATH. False, with the reason in `error`, when it could not be started.
    bool Start(const std::vector<std::string>& argv, std::string& error);
    // Waits up to `timeoutMs` for output and appends what arrived. False once both pipes have closed.
    bool Read(std::string& out, std::string& err, int timeoutMs);
    // Asks the child to finish (SIGTERM; FFmpeg stops at once on it), or kills it outright.
    void AskToQuit();
    void Kill();
    // Waits for the end: the exit status, or 128 + the signal that ended it.
    int Wait();
    // Like Wait, but gives up after `timeoutMs`.
    std::optional<int> WaitFor(int timeoutMs);

private:
    void CloseFd(int& fd);

    pid_t m_pid = -1;
    long long m_fileSizeLimit = 0;
    int m_out = -1;
    int m_err = -1;
    std::optional<int> m_status;
};

// SIGINT, SIGTERM and SIGHUP sent to the encoder become a stop request instead of ending it on the spot (which
// would leave FFmpeg and a partial file behind); a closed report pipe no longer kills it either.
void InstallSignalHandlers();
bool StopSignalReceived();

} // namespace zezozov
