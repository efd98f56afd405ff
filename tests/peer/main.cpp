// jeerkit-peer: the stand-in game client of the end-to-end tests.
//
//   jeerkit-peer --out FILE --ready FILE [--class NAME] [--title TEXT] [--no-ping]
//                [--key-delay MS] [--focus-delay MS] [--frame-ms MS] [--at X,Y]
//                [--window-type desktop|dock|...]
//
// --out: every key received, appended as the text it types (UTF-8), Return as a newline, other
// keys as tokens ("<Left>", "<S-Left>", "<KP_Add>"), keys held with Control or Alt as "<C-a>",
// "<A-f>"; flushed after each key. --ready: written once the window is mapped, holding its id.
// --no-ping: ignore _NET_WM_PING. --key-delay, --focus-delay: be slow over each key or over gaining
// the focus. --frame-ms: read the chat line once per frame, after the frame's events, as games
// drawn in frames do; a line starting ": ", "! " or
// "; " switches the chat mode, and Enter records "[mode]text\n". --at: where the window goes
// (the window manager is told the user asked for it); --window-type: its _NET_WM_WINDOW_TYPE.
// Runs until SIGTERM, SIGINT or its window is closed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include <poll.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// What the record holds for one key press.
std::string keyText(XIC ic, XKeyEvent event) {
    const unsigned held = event.state & (ControlMask | Mod1Mask);
    event.state &= ~(ControlMask | Mod1Mask); // Control+a reads "a", not U+0001
    char buffer[64];
    KeySym ks = NoSymbol;
    Status status = 0;
    const int n = Xutf8LookupString(ic, &event, buffer, sizeof buffer, &ks, &status);
    std::string text =
        status == XLookupChars || status == XLookupBoth ? std::string(buffer, n) : "";
    if (IsModifierKey(ks) && ks != XK_Caps_Lock && ks != XK_Num_Lock)
        return {};
    const bool printable = !text.empty() && !IsKeypadKey(ks) &&
                           std::none_of(text.begin(), text.end(),
                                        [](unsigned char c) { return c < 0x20 || c == 0x7F; });
    const char* name = XKeysymToString(ks);
    const std::string token = printable ? text : name ? name : std::to_string(event.keycode);
    if (held != 0)
        return std::string("<") + (held & ControlMask ? "C-" : "") + (held & Mod1Mask ? "A-" : "") +
               token + ">";
    if (ks == XK_Return || ks == XK_KP_Enter)
        return "\n";
    if (printable)
        return text;
    return std::string("<").append(event.state & ShiftMask ? "S-" : "").append(token).append(">");
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> option = {{"--class", "Ultima Online"},
                                                 {"--title", "Stand-in game"}};
    for (int i = 1; i < argc; ++i) {
        const std::string key = argv[i];
        option[key] = key == "--no-ping" || i + 1 == argc ? "" : argv[++i];
    }
    std::string windowClass = option["--class"], title = option["--title"],
                ready = option["--ready"];
    const bool answerPings = !option.contains("--no-ping");
    const int keyDelay = std::atoi(option["--key-delay"].c_str()),
              focusDelay = std::atoi(option["--focus-delay"].c_str()),
              frameMs = std::atoi(option["--frame-ms"].c_str());
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    std::signal(SIGINT, [](int) { stopRequested = 1; });
    std::setlocale(LC_ALL, "C.UTF-8"); // the input method hands out UTF-8
    XSetLocaleModifiers("@im=none");
    Display* d = XOpenDisplay(nullptr);
    std::FILE* record = std::fopen(option["--out"].c_str(), "w");
    XIM im = d ? XOpenIM(d, nullptr, nullptr, nullptr) : nullptr;
    if (!d || !record || !im)
        return std::fprintf(stderr, "jeerkit-peer: no display, input method or --out\n"), 1;

    int x = 100, y = 100;
    std::sscanf(option["--at"].c_str(), "%d,%d", &x, &y);
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, 400, 200, 1, 0,
                                         WhitePixel(d, DefaultScreen(d)));
    XSizeHints place{};
    place.flags = option.contains("--at") ? USPosition : 0;
    place.x = x, place.y = y;
    XSetWMNormalHints(d, w, &place);
    if (std::string type = option["--window-type"]; !type.empty()) {
        std::transform(type.begin(), type.end(), type.begin(), ::toupper);
        const Atom value = XInternAtom(d, ("_NET_WM_WINDOW_TYPE_" + type).c_str(), False);
        XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    }
    std::string instance = "jeerkit-peer";
    XClassHint classHint{instance.data(), windowClass.data()};
    XSetClassHint(d, w, &classHint);
    XStoreName(d, w, title.c_str());
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(d, w, &hints);
    Atom protocols[2] = {XInternAtom(d, "WM_DELETE_WINDOW", False),
                         XInternAtom(d, "_NET_WM_PING", False)};
    XSetWMProtocols(d, w, protocols, answerPings ? 2 : 1);
    XIC ic = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, w,
                       XNFocusWindow, w, nullptr);
    XSelectInput(d, w, KeyPressMask | FocusChangeMask | StructureNotifyMask);
    XMapWindow(d, w);

    bool running = true;
    std::string mode = "say", chat; // the chat line of a game drawn in frames
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    while (running && !stopRequested) {
        const auto frameStart = std::chrono::steady_clock::now();
        while (running && XPending(d) > 0) {
            XEvent e;
            XNextEvent(d, &e);
            if (XFilterEvent(&e, None)) // dead keys and Compose
                continue;
            if (e.type == MapNotify && !ready.empty()) {
                // Appears whole or not at all.
                if (std::FILE* f = std::fopen((ready + ".part").c_str(), "w")) {
                    std::fprintf(f, "0x%lx\n", w);
                    std::fclose(f);
                    std::rename((ready + ".part").c_str(), ready.c_str());
                }
            } else if (e.type == KeyPress) {
                std::string text = keyText(ic, e.xkey);
                if (frameMs > 0 && text == "\n") {
                    text = "[" + mode + "]" + chat + "\n";
                    mode = "say";
                    chat.clear();
                } else if (frameMs > 0) {
                    chat += text;
                    text.clear();
                }
                std::fputs(text.c_str(), record);
                std::fflush(record);
                std::this_thread::sleep_for(std::chrono::milliseconds(keyDelay));
            } else if (e.type == MappingNotify) {
                XRefreshKeyboardMapping(&e.xmapping);
            } else if (e.type == FocusIn) {
                XSetICFocus(ic);
                std::this_thread::sleep_for(std::chrono::milliseconds(focusDelay));
            } else if (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == protocols[1]) {
                e.xclient.window = DefaultRootWindow(d); // the pong
                XSendEvent(d, e.xclient.window, False,
                           SubstructureNotifyMask | SubstructureRedirectMask, &e);
            } else if ((e.type == ClientMessage && Atom(e.xclient.data.l[0]) == protocols[0]) ||
                       e.type == DestroyNotify) {
                running = false;
            }
        }
        XFlush(d);
        if (frameMs > 0) {
            for (const char* prefix : {": emote", "! yell", "; whisper"}) {
                if (chat.starts_with(std::string_view(prefix, 2))) {
                    mode = prefix + 2;
                    chat.clear();
                }
            }
            std::this_thread::sleep_until(frameStart + std::chrono::milliseconds(frameMs));
        } else {
            poll(&fd, 1, 200);
        }
    }
    XDestroyIC(ic);
    XCloseIM(im);
    XCloseDisplay(d);
    return 0;
}
