#include "SignalBridge.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace jk {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int pipeEnds[2] = {-1, -1};
constexpr std::array<int, 3> HandledSignals = {SIGTERM, SIGINT, SIGHUP};

} // namespace

SignalBridge::SignalBridge(QObject* parent)
    : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0)
        return;
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalBridge::readSignal);
    for (int sig : HandledSignals) {
        struct sigaction action {};
        action.sa_handler = &SignalBridge::onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

SignalBridge::~SignalBridge() {
    for (int sig : HandledSignals)
        ::signal(sig, SIG_DFL);
    for (int& fd : pipeEnds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalBridge::onSignal(int signalNumber) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(pipeEnds[0], &byte, 1);
}

void SignalBridge::readSignal() {
    unsigned char byte = 0;
    while (::read(pipeEnds[1], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace jk
