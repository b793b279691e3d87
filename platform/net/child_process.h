// Work that must be bounded in time runs in a child process that can be ended.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct ChildResult {
    enum Outcome { Finished, TimedOut, TooMuchOutput, NotStarted } outcome = NotStarted;
    int exitCode = -1;  // the child's exit code when it ended by itself, else -1
    std::string output;
};

// Forks; `work` runs in the child and writes its answer to the descriptor it is given. The
// child ends with `work`'s return value, without running exit handlers. Reads at most
// `maxBytes` of output; a child still running after `timeLimitMs`, or writing more than that,
// is killed.
ChildResult RunInChild(const std::function<int(int outFd)>& work, size_t maxBytes, int timeLimitMs);

// Starts a program (looked up in PATH) with this argument vector, standard input and error on
// /dev/null, under the same limits; never through a shell.
ChildResult RunProgram(const std::vector<std::string>& argv, size_t maxBytes, int timeLimitMs);
