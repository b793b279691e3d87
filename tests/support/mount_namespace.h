// Runs a piece of a test in a child process with a private mount namespace, so the test can
// bind-mount files (as containers do with /etc/hosts) without touching the machine's mounts.
#pragma once

#include <functional>
#include <string>

// Result of RunInMountNamespace when the namespace could not be had (no privilege for it).
constexpr int kNoMountNamespace = -1;

// Forks; the child unshares its mount namespace, makes every mount private and returns `body`'s
// result (0..255) as its exit status. Returns that status, kNoMountNamespace, or -2 if the child
// died otherwise. Call it only from a single-threaded test.
int RunInMountNamespace(const std::function<int()>& body);

// Bind-mounts `source` on `target`; read-only when asked. Returns false on failure.
bool BindMount(const std::string& source, const std::string& target, bool readOnly);
