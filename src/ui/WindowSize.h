#pragma once

namespace jk {

// The three working windows, numbered as the store keeps them under "WindowSize".
enum class WindowSize { Main = 1, Small = 2, Tiny = 3 };

} // namespace jk
