// jeerkit-peer: a stand-in for the game client in end-to-end tests.
//
//   jeerkit-peer [--class NAME] [--title TEXT] [--out FILE] [--ready FILE] [--no-ping]
//                [--key-delay MS] [--frame-ms MS] [--focus-delay MS]
//
//   --class NAME   class part of WM_CLASS (default "Ultima Online"; the instance part is
//                  "jeerkit-peer")
//   --title TEXT   window title (default "Stand-in game", unlike any class looked for)
//   --out FILE     the record: every key the window receives, appended as the text the keyboard
//                  produces (UTF-8), Return as a newline, other keys as tokens such as "<Left>",
//                  "<F5>", "<KP_Add>", "<S-Left>", keys held with Control or Alt as "<C-a>",
//                  "<A-f>". Written through after every key, so a test can poll it.
//   --ready FILE   written once the window is mapped, takes keys and can be found (listed in the
//                  window manager's _NET_CLIENT_LIST where it keeps one); holds the window id
//                  ("0x1a00002") and a newline.
//   --no-ping      do not take part in _NET_WM_PING (answered by default, after every event
//                  received before the ping, as a responsive client does)
//   --key-delay MS take MS milliseconds over each key, as a busy game might
//   --focus-delay MS  take MS milliseconds over gaining the focus, as a game redrawing might
//   --frame-ms MS  read the chat line once per frame of MS milliseconds, as a game drawn in
//                  frames does: each frame handles every pending event (pings too), then looks
//                  at the line once; a line starting with ": ", "! " or "; " switches the chat
//                  mode (emote, yell, whisper) and is emptied. Enter records the line with its
//                  mode, "[emote]hic" and a newline, and the mode goes back to "say".
//
// Runs on $DISPLAY until SIGTERM or SIGINT, or until its window is closed or destroyed. The
// window accepts the focus (WM_HINTS input) and keeps its keymap current (MappingNotify).

#include "KeyText.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

struct Options {
    std::string windowClass = "Ultima Online";
    std::string title = "Stand-in game";
    std::string out;
    std::string ready;
    bool ping = true;
    int keyDelayMs = 0;
    int frameMs = 0;
    int focusDelayMs = 0;
};

// The chat line of a game that reads it once per frame.
struct ChatLine {
    std::string mode = "say";
    std::string text;

    // Once per frame, after the frame's events.
    void lookAtPrefix() {
        static const std::pair<const char*, const char*> prefixes[] = {
            {": ", "emote"}, {"! ", "yell"}, {"; ", "whisper"}};
        for (const auto& [prefix, name] : prefixes) {
            if (text.starts_with(prefix)) {
                mode = name;
                text.clear();
            }
        }
    }
    // A key's text; returns the line to record when it was Enter.
    std::string add(const std::string& key) {
        if (key != "\n") {
            text += key;
            return {};
        }
        std::string said = "[" + mode + "]" + text + "\n";
        mode = "say";
        text.clear();
        return said;
    }
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-ping") {
            options.ping = false;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (arg == "--class")
            options.windowClass = value;
        else if (arg == "--title")
            options.title = value;
        else if (arg == "--out")
            options.out = value;
        else if (arg == "--ready")
            options.ready = value;
        else if (arg == "--focus-delay")
            options.focusDelayMs = std::atoi(value.c_str());
        else if (arg == "--key-delay")
            options.keyDelayMs = std::atoi(value.c_str());
        else if (arg == "--frame-ms")
            options.frameMs = std::atoi(value.c_str());
        else
            return false;
    }
    return true;
}

// A UTF-8 locale, so that the input method hands out UTF-8 for every character.
void chooseLocale() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", ""}) {
        if (std::setlocale(LC_ALL, name) != nullptr && XSupportsLocale())
            break;
    }
    XSetLocaleModifiers("@im=none");
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool writeReady(const std::string& path, Window window) {
    const std::string temporary = path + ".part";
    {
        std::unique_ptr<std::FILE, FileCloser> f(std::fopen(temporary.c_str(), "w"));
        if (!f)
            return false;
        std::fprintf(f.get(), "0x%lx\n", window);
    }
    // Appears whole or not at all.
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::vector<unsigned long> readLongs(Display* display, Window window, const char* name, Atom type) {
    std::vector<unsigned long> items;
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 0x10000, False,
                           type, &actual, &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        items.assign(longs, longs + count);
    }
    XFree(data);
    return items;
}

// Whether the window can be found the way the game link finds windows. A window manager takes
// a mapped window on a moment later: it sets WM_STATE on it, then lists it in _NET_CLIENT_LIST
// if it keeps that list. (Only WM_STATE tells for sure that the window manager has seen this
// window: window ids are reused, and a listed id may still be that of a window gone.)
bool findable(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    if (readLongs(display, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty())
        return true; // no window manager
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    if (readLongs(display, window, "WM_STATE", wmState).empty())
        return false;
    const auto supported = readLongs(display, root, "_NET_SUPPORTED", XA_ATOM);
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    if (std::find(supported.begin(), supported.end(), clientList) == supported.end())
        return true;
    const auto clients = readLongs(display, root, "_NET_CLIENT_LIST", XA_WINDOW);
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

int run(const Options& options) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "jeerkit-peer: cannot open the X display\n");
        return 1;
    }
    std::unique_ptr<std::FILE, FileCloser> record;
    if (!options.out.empty()) {
        record.reset(std::fopen(options.out.c_str(), "w"));
        if (!record) {
            std::fprintf(stderr, "jeerkit-peer: cannot write %s: %s\n", options.out.c_str(),
                         std::strerror(errno));
            XCloseDisplay(display);
            return 1;
        }
    }

    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 100, 100, 400, 200, 1,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    std::string instance = "jeerkit-peer";
    std::string windowClass = options.windowClass;
    XClassHint classHint{instance.data(), windowClass.data()};
    XSetClassHint(display, window, &classHint);
    XStoreName(display, window, options.title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(options.title.data()),
                    static_cast<int>(options.title.size()));
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    Atom protocols[2] = {deleteWindow, ping};
    XSetWMProtocols(display, window, protocols, options.ping ? 2 : 1);

    XIM im = XOpenIM(display, nullptr, nullptr, nullptr);
    XIC ic = nullptr;
    if (im != nullptr) {
        ic = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                       window, XNFocusWindow, window, nullptr);
    }
    if (ic == nullptr)
        std::fprintf(stderr, "jeerkit-peer: no input method, reading keysyms directly\n");
    long imEvents = 0;
    if (ic != nullptr)
        XGetICValues(ic, XNFilterEvents, &imEvents, nullptr);
    XSelectInput(display, window,
                 KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask |
                     ExposureMask | PropertyChangeMask | imEvents);
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XMapWindow(display, window);
    XFlush(display);

    bool running = true;
    bool mapped = false;
    bool announced = false;
    auto announceWhenFindable = [&] {
        if (announced || !mapped || !findable(display, window))
            return;
        announced = true;
        if (!options.ready.empty() && !writeReady(options.ready, window)) {
            std::fprintf(stderr, "jeerkit-peer: cannot write %s\n", options.ready.c_str());
            running = false;
        }
    };
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    ChatLine chat;
    while (running && stopRequested == 0) {
        const auto frameStart = std::chrono::steady_clock::now();
        while (running && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (XFilterEvent(&event, None))
                continue;
            switch (event.type) {
            case MapNotify:
                mapped = mapped || event.xmap.window == window;
                announceWhenFindable();
                break;
            case PropertyNotify:
                announceWhenFindable();
                break;
            case KeyPress:
                if (record) {
                    std::string text = jk::peer::keyText(ic, event.xkey);
                    if (options.frameMs > 0)
                        text = chat.add(text);
                    std::fwrite(text.data(), 1, text.size(), record.get());
                    std::fflush(record.get());
                }
                if (options.keyDelayMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(options.keyDelayMs));
                break;
            case MappingNotify:
                XRefreshKeyboardMapping(&event.xmapping);
                break;
            case FocusIn:
                if (ic != nullptr)
                    XSetICFocus(ic);
                std::this_thread::sleep_for(std::chrono::milliseconds(options.focusDelayMs));
                break;
            case FocusOut:
                if (ic != nullptr)
                    XUnsetICFocus(ic);
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                    running = false;
                } else if (static_cast<Atom>(event.xclient.data.l[0]) == ping && options.ping) {
                    XEvent pong = event;
                    pong.xclient.window = DefaultRootWindow(display);
                    XSendEvent(display, pong.xclient.window, False,
                               SubstructureNotifyMask | SubstructureRedirectMask, &pong);
                    XFlush(display);
                }
                break;
            case DestroyNotify:
                running = false;
                break;
            default:
                break;
            }
        }
        if (options.frameMs > 0) {
            chat.lookAtPrefix();
            std::this_thread::sleep_until(frameStart + std::chrono::milliseconds(options.frameMs));
        } else if (running && stopRequested == 0) {
            poll(&fd, 1, 200);
        }
    }

    if (ic != nullptr)
        XDestroyIC(ic);
    if (im != nullptr)
        XCloseIM(im);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: jeerkit-peer [--class NAME] [--title TEXT] [--out FILE] "
                             "[--ready FILE] [--no-ping] [--key-delay MS] [--frame-ms MS] "
                             "[--focus-delay MS]\n");
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    chooseLocale();
    return run(options);
}
