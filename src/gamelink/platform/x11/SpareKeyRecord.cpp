#include "gamelink/platform/x11/SpareKeyRecord.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jk::platform::x11 {

namespace {

// A folder of ours that nobody else can write into or read.
bool isPrivate(const std::string& folder) {
    struct stat st {};
    return !folder.empty() && ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Host and display, as a file name: a home shared between machines keeps them apart.
std::string recordName(const std::string& displayName) {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::string name = "spare-keys-" + std::string(host) + "-" + displayName;
    for (char& c : name) {
        if (c == '/' || c == ':' || c == ' ')
            c = '_';
    }
    return name;
}

} // namespace

std::string privateFolder() {
    const std::string runtime = variable("XDG_RUNTIME_DIR");
    if (isPrivate(runtime))
        return runtime;
    std::string state = variable("XDG_STATE_HOME");
    if (state.empty() && !variable("HOME").empty())
        state = variable("HOME") + "/.local/state";
    if (state.empty())
        return {};
    const std::string own = state + "/Jeerkit";
    for (std::size_t slash = state.find('/', 1); slash != std::string::npos;
         slash = state.find('/', slash + 1))
        ::mkdir(state.substr(0, slash).c_str(), 0700);
    ::mkdir(state.c_str(), 0700);
    ::mkdir(own.c_str(), 0700);
    // Our own folder, made by an older version with the usual mode: closed to others now.
    struct stat st {};
    if (::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        ::chmod(own.c_str(), 0700);
    return isPrivate(own) ? own : std::string();
}

SpareKeyRecord::SpareKeyRecord(const std::string& displayName) {
    const std::string folder = privateFolder();
    if (!folder.empty())
        path_ = folder + "/" + recordName(displayName);
}

std::vector<SpareKeyRecord::Entry> SpareKeyRecord::read() const {
    std::vector<Entry> entries;
    if (path_.empty())
        return entries;
    std::ifstream in(path_);
    Entry e;
    while (in >> e.owner >> e.keycode >> e.keysym)
        entries.push_back(e);
    return entries;
}

bool SpareKeyRecord::write(const std::vector<Entry>& entries) const {
    if (path_.empty())
        return false;
    if (entries.empty())
        return ::unlink(path_.c_str()) == 0 || errno == ENOENT;
    std::ostringstream text;
    for (const Entry& e : entries)
        text << e.owner << ' ' << e.keycode << ' ' << e.keysym << '\n';
    const std::string data = text.str();
    // Written aside and renamed over: a start that reads it meanwhile sees all or nothing.
    const std::string aside = path_ + ".new." + std::to_string(::getpid());
    ::unlink(aside.c_str());
    const int fd =
        ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data.data(), data.size()) == ssize_t(data.size());
    if (::close(fd) != 0 || !written || std::rename(aside.c_str(), path_.c_str()) != 0) {
        ::unlink(aside.c_str());
        return false;
    }
    return true;
}

} // namespace jk::platform::x11
