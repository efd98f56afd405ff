#pragma once

#include <QString>

class QWidget;

namespace jk {

// One of the three working windows as the window-mode rules see it.
class ModeWindow {
public:
    // The window size number stored under "WindowSize": 1 main, 2 small, 3 tiny.
    virtual int windowSize() const = 0;
    virtual QWidget& widget() = 0;

    // Creation: restore the position, set up the controls.
    virtual void Form_Load() = 0;
    // It became the active one of the program's own windows.
    virtual void Form_Activate() = 0;
    // Another of the program's own windows became the active one.
    virtual void Form_Deactivate() {}

protected:
    ~ModeWindow() = default;
};

} // namespace jk
