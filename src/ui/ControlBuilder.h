#pragma once

#include "ui/ControlTable.h"

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

class QWidget;

namespace jk {

// The controls of one window, made from its table: each one named by its table name
// ("Command1", "ComboSay_3"), placed, captioned, in its font and colours, and in the table's
// keyboard order.
class BuiltControls {
public:
    BuiltControls(QWidget& window, const controls::Window& table);

    QWidget* widget(std::string_view name, int index = -1) const;
    template <class W>
    W* get(std::string_view name, int index = -1) const {
        return static_cast<W*>(widget(name, index));
    }
    template <class W, std::size_t N>
    std::array<W*, N> array(std::string_view name) const {
        std::array<W*, N> out{};
        for (std::size_t i = 0; i < N; ++i)
            out[i] = get<W>(name, int(i));
        return out;
    }

private:
    std::map<std::string, QWidget*, std::less<>> byName_;
};

// Places and sizes the controls of the table, and sets their own fonts, at `scale` times the
// size they are drawn (1: as drawn). Controls in the window's font follow the window's.
void placeControls(QWidget& window, const controls::Window& table, double scale);

} // namespace jk
