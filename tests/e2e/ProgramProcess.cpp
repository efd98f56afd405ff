#include "ProgramProcess.h"

#include "XWindows.h"

#include "gamelink/KeyString.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <string>

namespace jk::e2e {

namespace {

platform::Platform& desktop() {
    static const std::unique_ptr<platform::Platform> backend = platform::createPlatform();
    return *backend;
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
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome_ + QStringLiteral("/data"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process_.setProcessEnvironment(env);
    process_.start(programExecutable(), {});
    if (!process_.waitForStarted(10000))
        return false;
    window_ = waitForWindow(titlePrefix);
    return window_ != 0;
}

std::uint64_t ProgramProcess::waitForWindow(const QString& titlePrefix, int timeoutMs, bool exact) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && running()) {
        if (const std::uint64_t w = viewableWindowOf(pid(), titlePrefix.toStdString(), exact))
            return w;
        process_.waitForFinished(10); // also notices that the program has ended
    }
    return 0;
}

void ProgramProcess::clickClient(std::uint64_t window, int x, int y) {
    movePointer(window, x, y);
    QThread::msleep(30); // let the program see the pointer arrive before the press
    clickHere();
}

void ProgramProcess::close(std::uint64_t window) {
    closeWindow(window);
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
