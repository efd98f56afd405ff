#pragma once

// Another user of the machine, for real: work done in a child process that has taken the
// user and group ids of "nobody". Needs root (as the tests run in CI).

#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace jk::test {

inline constexpr const char* NeedsRoot = "not root: another user's files cannot be made here";

// nobody's user and group id, when this process may take them.
inline std::optional<std::pair<uid_t, gid_t>> nobody() {
    const passwd* user = ::getpwnam("nobody");
    return ::geteuid() == 0 && user ? std::optional(std::pair(user->pw_uid, user->pw_gid))
                                    : std::nullopt;
}

// The child runs work as nobody and ends with 0 when it returned true. Without wait: its pid;
// with: whether it ended so.
template <typename Work>
pid_t asNobody(Work work, bool wait = true) {
    const auto [uid, gid] = nobody().value();
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgroups(0, nullptr) || ::setgid(gid) || ::setuid(uid) || !work() ? 1 : 0);
    int status = 0;
    return !wait ? pid
                 : ::waitpid(pid, &status, 0) > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace jk::test
