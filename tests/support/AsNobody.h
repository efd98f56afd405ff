#pragma once

// Another user of the machine, for real: work done in a child process that has taken the
// user and group ids of "nobody". Needs root (as the tests run in CI).

#include <QTest>

#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace jk::test {

struct UserIds {
    uid_t uid;
    gid_t gid;
};

inline std::optional<UserIds> nobody() {
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user)
        return std::nullopt;
    return UserIds{user->pw_uid, user->pw_gid};
}

// The child runs work as nobody and ends with 0 when it returned true; its pid.
template <typename Work>
pid_t startAsNobody(Work work) {
    const UserIds ids = nobody().value();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(ids.gid) == 0 && ::setuid(ids.uid) == 0;
        ::_exit(dropped && work() ? 0 : 1);
    }
    return pid;
}

template <typename Work>
bool asNobody(Work work) {
    const pid_t pid = startAsNobody(work);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace jk::test

#define JK_AS_NOBODY_OR_SKIP()                                                                     \
    if (!jk::test::nobody())                                                                       \
    QSKIP("not root: another user's files cannot be made here")
