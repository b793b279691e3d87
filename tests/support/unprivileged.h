// Runs a piece of a test as an ordinary user, so that file permissions apply even when the
// suite runs as root.
#pragma once

#include <functional>

// Runs `body` in a child process that has dropped to the user "nobody" (65534) when started as
// root; returns the child's exit status (body's result, 0 to 255), or -1 when it did not end
// normally. Folders the child must reach need permissions for others.
int RunUnprivileged(const std::function<int()>& body);
