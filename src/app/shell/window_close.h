#pragma once

#include <functional>

class QCloseEvent;

namespace shell {

// Closing a window that ends the program: when `mayEnd` (if given) agrees, runs `formClose` and
// lets the window close; otherwise the window stays open.
void closeToEnd(QCloseEvent* event, const std::function<bool()>& mayEnd,
                const std::function<void()>& formClose);

} // namespace shell
