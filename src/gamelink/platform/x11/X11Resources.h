#pragma once

// Owners for what Xlib hands out. This header pulls in Xlib, whose macros (None, Bool, Status,
// ...) break other code: include it only from the x11 backend's .cpp files.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace jk::platform::x11 {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

struct XFreeDeleter {
    void operator()(void* p) const { XFree(p); }
};
// Memory that Xlib allocated and XFree releases (property data, XQueryTree children, ...).
template <typename T>
using XMemory = std::unique_ptr<T, XFreeDeleter>;

struct XkbDescDeleter {
    void operator()(XkbDescPtr desc) const { XkbFreeKeyboard(desc, XkbAllComponentsMask, True); }
};
using XkbDescHandle = std::unique_ptr<XkbDescRec, XkbDescDeleter>;

// The two strings of a window's WM_CLASS, freed with the hint.
class ClassHint {
public:
    ClassHint() = default;
    ClassHint(const ClassHint&) = delete;
    ClassHint& operator=(const ClassHint&) = delete;
    ~ClassHint() {
        XFree(hint_.res_name);
        XFree(hint_.res_class);
    }

    XClassHint* get() { return &hint_; }
    const char* instance() const { return hint_.res_name; }
    const char* windowClass() const { return hint_.res_class; }

private:
    XClassHint hint_{nullptr, nullptr};
};

} // namespace jk::platform::x11
