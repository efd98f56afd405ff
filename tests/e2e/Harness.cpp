#include "Harness.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <optional>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace jk::e2e {

namespace {

Display* dpy() {
    static Display* const d = XOpenDisplay(nullptr);
    return d;
}

// Errors about windows that may be gone are answers here. Scoped: the backend under test, in
// the same process, meets Xlib's default handler if it lets an error through.
struct Quiet {
    XErrorHandler previous =
        (XSync(dpy(), False), XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }));
    ~Quiet() { XSync(dpy(), False), XSetErrorHandler(previous); }
};

struct Property {
    unsigned char* data = nullptr;
    unsigned long count = 0;
    Property(std::uint64_t window, const char* name, Atom type, long length) {
        Atom actual = 0;
        int format = 0;
        unsigned long after = 0;
        if (XGetWindowProperty(dpy(), Window(window), XInternAtom(dpy(), name, False), 0, length,
                               False, type, &actual, &format, &count, &after, &data) != Success)
            data = nullptr;
    }
    ~Property() { XFree(data); }
    const unsigned long* longs() const { return reinterpret_cast<const unsigned long*>(data); }
};

// A WM_PROTOCOLS message to the window's owner, as from the window manager.
void sendProtocol(std::uint64_t window, const char* protocol, long stamp = 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(dpy(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(dpy(), protocol, False));
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = long(window);
    Quiet quiet;
    XSendEvent(dpy(), Window(window), False, NoEventMask, &event);
}

bool runWine(const QStringList& arguments) {
    QProcess wine;
    wine.start(QStringLiteral(JK_WINE64_EXE), arguments);
    return wine.waitForFinished(120000) && wine.exitStatus() == QProcess::NormalExit &&
           wine.exitCode() == 0;
}

QString windowsPath(QString path) {
    return QStringLiteral("Z:") + path.replace(u'/', u'\\');
}

// The build's jeerkit.exe, or the one JK_WINDOWS_EXE names (an installed copy).
QString windowsExe() {
    return qEnvironmentVariable("JK_WINDOWS_EXE", QStringLiteral(JK_WINDOWS_EXE));
}

const QString Branch = "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Jeerkit";

} // namespace

std::string keymapDump() {
    int minKey = 0, maxKey = 0, perKey = 0;
    XDisplayKeycodes(dpy(), &minKey, &maxKey);
    KeySym* map = XGetKeyboardMapping(dpy(), KeyCode(minKey), maxKey - minKey + 1, &perKey);
    std::string dump;
    for (int k = 0; k <= maxKey - minKey; ++k) {
        dump += std::to_string(k + minKey) + ":";
        int last = perKey - 1; // the map's width changes with the widest key
        while (last >= 0 && map[k * perKey + last] == NoSymbol)
            --last;
        for (int i = 0; i <= last; ++i)
            dump.append(" ").append(std::to_string(map[k * perKey + i]));
        dump += "\n";
    }
    XFree(map);
    return dump;
}

void forgeSpareKeyRecord() {
    int minKey = 0, maxKey = 0;
    XDisplayKeycodes(dpy(), &minKey, &maxKey);
    const long gone = 1; // never a window
    std::vector<long> record = {gone, 38, XK_a, gone, 38 + 256, XK_a};
    for (int k = minKey; k <= maxKey; ++k)
        record.insert(record.end(), {gone, k, long(XkbKeycodeToKeysym(dpy(), KeyCode(k), 0, 0))});
    XChangeProperty(dpy(), DefaultRootWindow(dpy()),
                    XInternAtom(dpy(), "_JEERKIT_SPARE_KEYS", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(record.data()),
                    int(record.size()));
    XSync(dpy(), False);
}

std::string xkbKeymap() {
    QProcess xkbcomp;
    xkbcomp.start("xkbcomp", {"-xkb", qEnvironmentVariable("DISPLAY"), "-"});
    return xkbcomp.waitForFinished() ? xkbcomp.readAllStandardOutput().toStdString() : "";
}

std::vector<int> pressedKeycodes() {
    char keys[32];
    XQueryKeymap(dpy(), keys);
    std::vector<int> down;
    for (int k = 0; k < 256; ++k)
        if (keys[k / 8] & (1 << (k % 8)))
            down.push_back(k);
    return down;
}

bool capsLocked() {
    XkbStateRec state{};
    XkbGetState(dpy(), XkbUseCoreKbd, &state);
    return (state.locked_mods & LockMask) != 0;
}

void setCapsLock(bool on) {
    XkbLockModifiers(dpy(), XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(dpy(), False);
}

void lockGroup(int group) {
    XkbLockGroup(dpy(), XkbUseCoreKbd, unsigned(group));
    XSync(dpy(), False);
}

bool windowExists(std::uint64_t window) {
    Quiet quiet;
    XWindowAttributes attributes;
    return XGetWindowAttributes(dpy(), Window(window), &attributes) != 0;
}

bool isAbove(std::uint64_t window) { // exactly once
    Quiet quiet;
    const Property state(window, "_NET_WM_STATE", XA_ATOM, 1024);
    const Atom above = XInternAtom(dpy(), "_NET_WM_STATE_ABOVE", False);
    return state.data && std::count(state.longs(), state.longs() + state.count, above) == 1;
}

namespace {
std::vector<Window> childrenOf(Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(dpy(), window, &root, &parent, &children, &count) && children) {
        found.assign(children, children + count);
        XFree(children);
    }
    return found;
}
} // namespace

std::vector<std::uint64_t> viewableWindowsOf(long long pid) {
    std::vector<std::uint64_t> found;
    if (!dpy()) // no display: the program ends saying so
        return found;
    Quiet quiet;
    const Property clients(DefaultRootWindow(dpy()), "_NET_CLIENT_LIST", XA_WINDOW, 4096);
    std::vector<Window> windows;
    for (unsigned long i = 0; clients.data && i < clients.count; ++i)
        windows.push_back(clients.longs()[i]);
    if (!clients.data) // no list (weston): the top-level windows and those in their frames
        for (const Window top : childrenOf(DefaultRootWindow(dpy()))) {
            windows.push_back(top);
            for (const Window inner : childrenOf(top))
                windows.push_back(inner);
        }
    for (const Window w : windows) {
        const Property owner(w, "_NET_WM_PID", XA_CARDINAL, 1);
        XWindowAttributes attributes{};
        if (owner.count == 1 && long(*owner.longs()) == pid &&
            XGetWindowAttributes(dpy(), w, &attributes) && attributes.map_state == IsViewable)
            found.push_back(w);
    }
    return found;
}

std::uint64_t viewableWindowOf(long long pid, const std::string& title, bool exact) {
    for (const std::uint64_t window : viewableWindowsOf(pid)) {
        const std::string name = textProperty(window, "_NET_WM_NAME");
        if (exact ? name == title : name.starts_with(title))
            return window;
    }
    return 0;
}

std::string textProperty(std::uint64_t window, const char* name) {
    Quiet quiet;
    const Property text(window, name, AnyPropertyType, 1024);
    return text.data ? std::string(reinterpret_cast<char*>(text.data), text.count) : "<none>";
}

void closeWindow(std::uint64_t window) {
    sendProtocol(window, "WM_DELETE_WINDOW");
}

QPoint clickPoint(const controls::Window& table, const char* name, int index) {
    const controls::Control* c = controls::find(table, name, index);
    const controls::Rect r = controls::rectOf(*c, index);
    const int width = c->kind == controls::Kind::CheckBox ? r.height : r.width;
    return {(r.left + width / 2) / controls::TwipsPerPixel,
            (r.top + r.height / 2) / controls::TwipsPerPixel};
}

void movePointer(std::uint64_t window, int x, int y) {
    Quiet quiet;
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy(), Window(window), DefaultRootWindow(dpy()), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(dpy(), -1, rootX, rootY, CurrentTime);
}

namespace {
// The centre of a window, on the root, once the compositor has taken it on (WM_STATE): before
// that its place is the one it asked for, not where it is shown.
std::optional<QPoint> placedCentre(std::uint64_t window) {
    Quiet quiet;
    XWindowAttributes attributes{};
    int rootX = 0, rootY = 0;
    Window child = 0;
    if (!Property(window, "WM_STATE", AnyPropertyType, 2).data ||
        !XGetWindowAttributes(dpy(), Window(window), &attributes) ||
        attributes.map_state != IsViewable ||
        !XTranslateCoordinates(dpy(), Window(window), DefaultRootWindow(dpy()),
                               attributes.width / 2, attributes.height / 2, &rootX, &rootY, &child))
        return std::nullopt;
    return QPoint(rootX, rootY);
}
} // namespace

bool focusThroughCompositor(std::uint64_t window) {
    Display* outer = XOpenDisplay(qgetenv("JK_OUTER_DISPLAY").constData());
    if (outer == nullptr)
        return false;
    bool focused = false;
    // A click may come before weston shows the window where X says it is: click again.
    for (int attempt = 0; attempt < 10 && !focused; ++attempt) {
        std::optional<QPoint> at;
        if (!waitUntil([&] { return (at = placedCentre(window)).has_value(); }))
            break;
        // weston takes the pointer's place when it enters weston's window, and picks the
        // surface under it when it moves: from outside that window (1024x768 at the origin).
        XTestFakeMotionEvent(outer, -1, 1200, 1000, CurrentTime);
        XSync(outer, False);
        // weston's output fills its window at the outer display's origin, at scale 1.
        XTestFakeMotionEvent(outer, -1, at->x(), at->y(), CurrentTime);
        XTestFakeButtonEvent(outer, 1, True, CurrentTime);
        XTestFakeButtonEvent(outer, 1, False, CurrentTime);
        XSync(outer, False);
        focused = waitUntil([&] { return desktop().hasFocus(window); }, std::chrono::seconds(1));
    }
    XCloseDisplay(outer);
    return focused;
}

void clickHere() {
    XTestFakeButtonEvent(dpy(), 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy(), 1, False, CurrentTime);
    XSync(dpy(), False);
}

bool roundTrip(std::uint64_t window) {
    static long stamp = 0x4A4B0000; // told apart from the window manager's pings
    const Window root = DefaultRootWindow(dpy());
    // The answer goes to the root: Qt's to those who listen for its own changes, Wine's for
    // its children's.
    XSelectInput(dpy(), root, StructureNotifyMask | SubstructureNotifyMask);
    const auto answered = [&] {
        sendProtocol(window, "_NET_WM_PING", ++stamp);
        return waitUntil([&] {
            for (XEvent e; XCheckTypedWindowEvent(dpy(), root, ClientMessage, &e);)
                if (e.xclient.data.l[1] == stamp)
                    return true;
            return false;
        });
    };
    const bool both = answered() && answered();
    XSelectInput(dpy(), root, NoEventMask);
    XSync(dpy(), True); // the root's other news
    return both;
}

void queueEscape(std::uint64_t window) {
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = dpy();
    event.xkey.window = Window(window);
    event.xkey.root = DefaultRootWindow(dpy());
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(dpy(), XK_Escape);
    Quiet quiet;
    XSendEvent(dpy(), Window(window), False, KeyPressMask, &event);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string wineUnavailableReason() {
    if (std::string(JK_WINE64_EXE).empty())
        return "built without wine64 or the MinGW-w64 cross compiler";
    if (programUnderWine() && !QFile::exists(windowsExe()))
        return "jeerkit.exe was not built (no Windows Qt; see tools/windows-qt.sh): the Windows "
               "tests are skipped";
    return qEnvironmentVariableIsSet("WINEPREFIX") ? ""
                                                   : "WINEPREFIX is not set: run through ctest";
}

PeerProcess::PeerProcess(const std::string& windowClass, const std::string& title,
                         const QStringList& options) {
    const QString ready = dir_.filePath("ready");
    QStringList args = {"--class", QString::fromStdString(windowClass),
                        "--title", QString::fromStdString(title),
                        "--out",   dir_.filePath("record"),
                        "--ready", ready};
    args += options;
    if (gameUnderWine())
        args.prepend(JK_PEER_WIN32_EXE);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(gameUnderWine() ? JK_WINE64_EXE : JK_PEER_EXE, args);
    waitUntil(
        [&] {
            process_.waitForFinished(10);
            return QFile::exists(ready) || process_.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(60));
    window_ = fileBytes(ready).trimmed().toULongLong(nullptr, 16);
    // Found the way the game link finds windows: the window manager, if any, has taken it on
    // (WM_STATE) and lists it.
    const auto findable = [&] {
        Quiet quiet;
        const Window root = DefaultRootWindow(dpy());
        const Property check(root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1),
            state(window_, "WM_STATE", AnyPropertyType, 2),
            clients(root, "_NET_CLIENT_LIST", XA_WINDOW, 4096),
            supported(root, "_NET_SUPPORTED", XA_ATOM, 4096);
        // A window manager without a client list (weston's) is searched through the tree.
        const auto listed = [](const Property& list, unsigned long item) {
            return std::count(list.longs(), list.longs() + list.count, item) > 0;
        };
        const bool hasList = listed(supported, XInternAtom(dpy(), "_NET_CLIENT_LIST", False));
        return !check.data || (state.data && (!hasList || listed(clients, window_)));
    };
    if (window_ != 0 && !gameUnderWine() && !waitUntil(findable))
        window_ = 0;
    if (window_ == 0)
        error_ = "the stand-in game's window did not become ready: " +
                 process_.errorString().toStdString();
}

std::uint64_t PeerProcess::xWindow() const {
    return gameUnderWine() ? viewableWindowOf(process_.processId(), "") : window_;
}

std::string PeerProcess::settledText(std::size_t from) {
    if (gameUnderWine()) {
        // Wine takes only real key presses, queued behind the game's own input.
        desktop().activate(xWindow());
        waitUntil([&] { return desktop().hasFocus(xWindow()); });
        jk::typeAll(desktop(), {platform::KeyAction::named(platform::NamedKey::Escape)});
    } else {
        queueEscape(window_);
    }
    const std::string got = waitForText(from, "<Escape>", std::chrono::seconds(20));
    return got.substr(0, got.rfind("<Escape>"));
}

std::string PeerProcess::waitForText(std::size_t from, std::string_view marker,
                                     std::chrono::milliseconds timeout) const {
    std::string tail;
    waitUntil(
        [&] {
            const std::string all = record();
            tail = from < all.size() ? all.substr(from) : std::string();
            return tail.ends_with(marker);
        },
        timeout);
    return tail;
}

ProgramProcess::ProgramProcess(const QString& configHome)
    : configHome_(configHome.isEmpty() ? own_.path() : configHome) {
    QDir().mkpath(configHome_ + QStringLiteral("/Jeerkit"));
}

SettingsStore& ProgramProcess::store() {
    if (!store_)
        store_ = std::make_unique<SettingsStore>(storePath());
    return *store_;
}

bool ProgramProcess::start(const QString& title) {
    store_.reset(); // the program owns the file now
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_);
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome_ + QStringLiteral("/data"));
    // The desktop the tests run from must not leak in: its platform, scale, language.
    for (const char* name : {"QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_FONT_DPI", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (auto it = env_.cbegin(); it != env_.cend(); ++it)
        env.insert(it.key(), it.value());
    // Why a line was not sent, for a failure's report.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("jk.gamelink.info=true"));
    process_.setProcessEnvironment(env);
    if (programUnderWine()) {
        // The store's sections replace the registry branch, through regedit (UTF-16LE).
        QSettings ini(storePath(), QSettings::IniFormat);
        const auto quoted = [](QString s) {
            return u'"' + s.replace(u'\\', "\\\\").replace(u'"', "\\\"") + u'"';
        };
        QString reg = "Windows Registry Editor Version 5.00\r\n\r\n[-" + Branch + "]\r\n";
        for (const QString& section : ini.childGroups()) {
            reg += "\r\n[" + Branch + "\\" + section + "]\r\n";
            ini.beginGroup(section);
            for (const QString& key : ini.childKeys())
                reg += quoted(key) + u'=' + quoted(ini.value(key).toString()) + "\r\n";
            ini.endGroup();
        }
        // Wine keeps the QT_ variables from Windows programs; those of the user's environment
        // in the registry they see. Without a console the log would go to the debugger.
        reg += "\r\n[HKEY_CURRENT_USER\\Environment]\r\n\"QT_FORCE_STDERR_LOGGING\"=\"1\"\r\n";
        reg += "\"QT_LOGGING_RULES\"=" + quoted(env.value("QT_LOGGING_RULES")) + "\r\n";
        QFile file(configHome_ + "/seed.reg");
        if (!file.open(QIODevice::WriteOnly) || file.write("\xFF\xFE") != 2 ||
            file.write(reinterpret_cast<const char*>(reg.utf16()), reg.size() * 2) < 0)
            return false;
        file.close();
        if (!runWine({"regedit", "/S", windowsPath(file.fileName())}))
            return false;
        process_.start(JK_WINE64_EXE, {windowsExe()});
    } else {
        process_.start(JK_PROGRAM_EXE, {});
    }
    window_ = process_.waitForStarted(10000) ? waitForWindow(title) : 0;
    return window_ != 0 && roundTrip(window_); // settled enough to take clicks (Wine)
}

std::uint64_t ProgramProcess::waitForWindow(const QString& title, bool exact) {
    std::uint64_t found = 0;
    waitUntil(
        [&] {
            found = viewableWindowOf(pid(), title.toStdString(), exact);
            process_.waitForFinished(10);
            return found != 0 || !running();
        },
        std::chrono::seconds(60));
    return found;
}

namespace {
int grabError = 0;
bool grabCtrlAlt(Display* d, const char* keysym, unsigned locks) {
    grabError = 0;
    const XErrorHandler previous = (XSync(d, False), XSetErrorHandler([](Display*, XErrorEvent* e) {
                                        grabError = e->error_code;
                                        return 0;
                                    }));
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XGrabKey(d, code, ControlMask | Mod1Mask | locks, DefaultRootWindow(d), True, GrabModeAsync,
             GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    return grabError == 0;
}

// client.exe --hotkey: whether it got Control+Alt+key, which it keeps until its input ends.
bool registerUnderWine(QProcess& holder, const char* keysym) {
    holder.start(JK_WINE64_EXE, {JK_PEER_WIN32_EXE, "--hotkey", keysym});
    return holder.waitForReadyRead(60000) && holder.readLine() == "held\n";
}
} // namespace

bool keyGrabbed(const char* keysym) {
    if (programUnderWine()) {
        QProcess probe;
        const bool held = registerUnderWine(probe, keysym);
        probe.closeWriteChannel(), probe.waitForFinished(60000);
        return !held;
    }
    bool any = false;
    for (const unsigned locks : {0U, unsigned(LockMask)}) {
        if (!grabCtrlAlt(dpy(), keysym, locks)) {
            any = true;
            continue;
        }
        XUngrabKey(dpy(), XKeysymToKeycode(dpy(), XStringToKeysym(keysym)),
                   ControlMask | Mod1Mask | locks, DefaultRootWindow(dpy()));
        XSync(dpy(), False);
    }
    return any;
}

void fakeKey(const char* keysym, bool down) {
    XTestFakeKeyEvent(dpy(), XKeysymToKeycode(dpy(), XStringToKeysym(keysym)), down, 0);
    XSync(dpy(), False);
}

void setRepeat(unsigned delay, unsigned interval) {
    XkbSetAutoRepeatRate(dpy(), XkbUseCoreKbd, delay, interval);
    XSync(dpy(), False);
}

ForeignGrab::ForeignGrab(const char* keysym)
    : display_(programUnderWine() ? nullptr : XOpenDisplay(nullptr))
    , held_(programUnderWine()
                ? registerUnderWine(holder_, keysym)
                : display_ != nullptr && grabCtrlAlt(static_cast<Display*>(display_), keysym, 0)) {}

ForeignGrab::~ForeignGrab() {
    if (display_ != nullptr)
        XCloseDisplay(static_cast<Display*>(display_));
    holder_.closeWriteChannel(), holder_.waitForFinished(60000);
}

platform::Platform& desktop() {
    static const std::unique_ptr<platform::Platform> backend = platform::createPlatform();
    return *backend;
}

QString ProgramProcess::saved(const QString& section, const QString& key) {
    if (!programUnderWine())
        return SettingsStore(storePath()).read(section, key, QStringLiteral("<missing>"));
    if (registry_.isEmpty() &&
        runWine({"regedit", "/E", windowsPath(configHome_ + "/saved.reg"), Branch})) {
        const QByteArray bytes = fileBytes(configHome_ + "/saved.reg").mid(2);
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        const QRegularExpression value(R"re(^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$)re");
        const auto unescape = [](QString s) {
            return s.replace(QRegularExpression(R"(\\(.))"), QStringLiteral("\\1"));
        };
        QString group;
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            if (line.startsWith(u'[') && line.endsWith(u']'))
                (group = line.mid(Branch.size() + 2)).chop(1);
            else if (const auto v = value.match(line); v.hasMatch())
                registry_[group][unescape(v.captured(1))] = unescape(v.captured(2));
        }
    }
    return registry_.value(section).value(key, QStringLiteral("<missing>"));
}

} // namespace jk::e2e
