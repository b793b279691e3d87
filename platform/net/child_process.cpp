#include "platform/net/child_process.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(left.count()) + 1;
}

int WaitBlocking(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

// Waits for a child that has closed its output; one that lingers past the deadline is killed.
int WaitUntil(pid_t pid, Clock::time_point deadline, bool& killed) {
    int status = 0;
    for (;;) {
        pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) return status;
        if (ended < 0 && errno != EINTR) return -1;
        if (Clock::now() >= deadline) break;
        usleep(1000);
    }
    kill(pid, SIGKILL);
    killed = true;
    return WaitBlocking(pid);
}

ChildResult Collect(pid_t pid, int readFd, size_t maxBytes, int timeLimitMs) {
    ChildResult result;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs);
    bool timedOut = false;
    bool overflow = false;
    char chunk[4096];
    for (;;) {
        int left = MillisecondsLeft(deadline);
        if (left == 0) {
            timedOut = true;
            break;
        }
        struct pollfd wait = {readFd, POLLIN, 0};
        int ready = poll(&wait, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            timedOut = true;
            break;
        }
        if (ready == 0) continue;
        ssize_t got = read(readFd, chunk, sizeof(chunk));
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) break;
        size_t room = maxBytes - result.output.size();
        if (static_cast<size_t>(got) > room) {
            result.output.append(chunk, room);
            overflow = true;
            break;
        }
        result.output.append(chunk, static_cast<size_t>(got));
    }
    close(readFd);

    bool killed = false;
    int status = 0;
    if (timedOut || overflow) {
        kill(pid, SIGKILL);
        killed = true;
        status = WaitBlocking(pid);
    } else {
        status = WaitUntil(pid, deadline, killed);
    }
    if (overflow) {
        result.outcome = ChildResult::TooMuchOutput;
    } else if (timedOut || killed) {
        result.outcome = ChildResult::TimedOut;
    } else {
        result.outcome = ChildResult::Finished;
        if (status >= 0 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

}  // namespace

ChildResult RunInChild(const std::function<int(int outFd)>& work, size_t maxBytes,
                       int timeLimitMs) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return {};
    }
    if (pid == 0) {
        // The child must not outlive the thread waiting for it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        signal(SIGPIPE, SIG_IGN);
        _exit(work(fds[1]));
    }
    close(fds[1]);
    return Collect(pid, fds[0], maxBytes, timeLimitMs);
}

ChildResult RunProgram(const std::vector<std::string>& argv, size_t maxBytes, int timeLimitMs) {
    if (argv.empty()) return {};
    // Built before the fork: the child only calls what is safe between fork and exec.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    return RunInChild(
        [&args](int outFd) {
            int devNull = open("/dev/null", O_RDWR);
            if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(outFd, 1) < 0 || dup2(devNull, 2) < 0)
                return 126;
            // Descriptors the parent opened without close-on-exec stay out of the program.
            close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
            signal(SIGPIPE, SIG_DFL);
            execvp(args[0], args.data());
            return 127;
        },
        maxBytes, timeLimitMs);
}
