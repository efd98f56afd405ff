#include "PeerProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace jk::e2e {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr auto PollInterval = std::chrono::milliseconds(10);

} // namespace

std::string peerExecutable() {
    if (const char* path = std::getenv("JK_PEER"))
        return path;
    return JK_PEER_EXE;
}

#ifndef JK_WINE64_EXE
#define JK_WINE64_EXE ""
#define JK_PEER_WIN32_EXE ""
#endif

std::string wineUnavailableReason() {
    if (std::string(JK_WINE64_EXE).empty())
        return "built without wine64 or the MinGW-w64 cross compiler";
    if (std::getenv("WINEPREFIX") == nullptr)
        return "WINEPREFIX is not set: run through ctest (fixture \"wine\")";
    return {};
}

PeerProcess::PeerProcess(std::string windowClass, std::string title,
                         const std::vector<std::string>& options, PeerKind kind) {
    char pattern[] = "/tmp/jk-peer.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        error_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    directory_ = pattern;
    recordPath_ = directory_ + "/record.txt";
    const std::string readyPath = directory_ + "/ready";

    const bool wine = kind == PeerKind::Wine;
    const std::string exe = wine ? std::string(JK_WINE64_EXE) : peerExecutable();
    std::vector<std::string> args = {exe,     "--class",   windowClass, "--title", title,
                                     "--out", recordPath_, "--ready",   readyPath};
    if (wine)
        args.insert(args.begin() + 1, JK_PEER_WIN32_EXE);
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + exe + ": " + std::strerror(rc);
        return;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wine ? 60 : 20);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string ready = readFile(readyPath);
        if (!ready.empty()) {
            window_ = std::strtoull(ready.c_str(), nullptr, 16);
            if (window_ == 0)
                error_ = "unreadable ready file: " + ready;
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "jeerkit-peer ended before its window was ready (status " +
                     std::to_string(status) + ")";
            return;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    error_ = "the stand-in game's window did not become ready in time";
}

PeerProcess::~PeerProcess() {
    stop();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

std::string PeerProcess::record() const {
    return readFile(recordPath_);
}

std::string PeerProcess::waitForText(std::size_t from, std::string_view marker,
                                     std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::string all = record();
        const std::string tail = from < all.size() ? all.substr(from) : std::string();
        if (tail.ends_with(marker) || std::chrono::steady_clock::now() >= deadline)
            return tail;
        std::this_thread::sleep_for(PollInterval);
    }
}

void PeerProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitForExit();
    }
}

void PeerProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitForExit();
    }
}

void PeerProcess::waitForExit() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

} // namespace jk::e2e
