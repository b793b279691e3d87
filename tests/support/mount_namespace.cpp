#include "support/mount_namespace.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

int RunInMountNamespace(const std::function<int()>& body) {
    pid_t child = fork();
    if (child < 0) return -2;
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0) _exit(255);
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(255);
        _exit(body() & 0xff);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -2;
    }
    if (!WIFEXITED(status)) return -2;
    int code = WEXITSTATUS(status);
    return code == 255 ? kNoMountNamespace : code;
}

bool BindMount(const std::string& source, const std::string& target, bool readOnly) {
    if (mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    if (!readOnly) return true;
    return mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
