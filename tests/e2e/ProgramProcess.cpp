#include "ProgramProcess.h"

#include "gamelink/KeyString.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <csignal>
#include <string>

namespace jk::e2e {

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// One connection for the test's own look at the display.
Display* display() {
    static Display* d = [] {
        Display* opened = XOpenDisplay(nullptr);
        XSetErrorHandler(ignoreErrors);
        return opened;
    }();
    return d;
}

platform::Platform& desktop() {
    static const std::unique_ptr<platform::Platform> backend = platform::createPlatform();
    return *backend;
}

long cardinal(Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(display(), w, XInternAtom(display(), name, False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (count == 1)
            value = *reinterpret_cast<const long*>(data);
        XFree(data);
    }
    return value;
}

std::string title(Window w) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(display(), w, XInternAtom(display(), "_NET_WM_NAME", False), 0, 1024,
                           False, XInternAtom(display(), "UTF8_STRING", False), &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        out.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return out;
}

std::uint64_t viewableWindowOf(qint64 pid, const std::string& prefix) {
    Display* d = display();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::uint64_t found = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CLIENT_LIST", False), 0,
                           4096, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) != Success ||
        !data)
        return 0;
    const auto* windows = reinterpret_cast<const Window*>(data);
    for (unsigned long i = 0; i < count && !found; ++i) {
        if (cardinal(windows[i], "_NET_WM_PID") != pid)
            continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(d, windows[i], &attributes) &&
            attributes.map_state == IsViewable && title(windows[i]).rfind(prefix, 0) == 0)
            found = windows[i];
    }
    XFree(data);
    return found;
}

} // namespace

QString programExecutable() {
    return QStringLiteral(JK_PROGRAM_EXE);
}

ProgramProcess::ProgramProcess(const QString& configHome) {
    if (configHome.isEmpty()) {
        ownConfig_ = std::make_unique<QTemporaryDir>();
        configHome_ = ownConfig_->path();
    } else {
        configHome_ = configHome;
    }
    QDir().mkpath(configHome_ + QStringLiteral("/Jeerkit"));
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

ProgramProcess::~ProgramProcess() {
    if (running()) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString ProgramProcess::storePath() const {
    return configHome_ + QStringLiteral("/Jeerkit/Jeerkit.ini");
}

SettingsStore& ProgramProcess::store() {
    if (!store_)
        store_ = std::make_unique<SettingsStore>(storePath());
    return *store_;
}

void ProgramProcess::reopenStore() {
    store_.reset();
}

bool ProgramProcess::start(const QString& titlePrefix) {
    store_.reset(); // the program owns the file now
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process_.setProcessEnvironment(env);
    process_.start(programExecutable(), {});
    if (!process_.waitForStarted(10000))
        return false;
    window_ = waitForWindow(titlePrefix);
    return window_ != 0;
}

std::uint64_t ProgramProcess::waitForWindow(const QString& titlePrefix, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && running()) {
        if (const std::uint64_t w = viewableWindowOf(pid(), titlePrefix.toStdString()))
            return w;
        process_.waitForFinished(10); // also notices that the program has ended
    }
    return 0;
}

void ProgramProcess::clickClient(std::uint64_t window, int x, int y) {
    Display* d = display();
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(d, Window(window), DefaultRootWindow(d), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XSync(d, False);
    QThread::msleep(30); // let the program see the pointer arrive before the press
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

void ProgramProcess::type(const QString& keyString) {
    desktop().type(ParseKeyString(keyString));
}

void ProgramProcess::activate(std::uint64_t window) {
    desktop().activate(window);
}

bool ProgramProcess::hasFocus(std::uint64_t window) {
    return desktop().hasFocus(window);
}

void ProgramProcess::signal(int signalNumber) {
    ::kill(pid_t(pid()), signalNumber);
}

int ProgramProcess::waitForExit(int timeoutMs) {
    if (running() && !process_.waitForFinished(timeoutMs))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString ProgramProcess::errorOutput() {
    return QString::fromLocal8Bit(process_.readAllStandardError());
}

} // namespace jk::e2e
