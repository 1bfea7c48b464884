#include "shell/window_close.h"

#include "shell/error_display.h"

#include <QCloseEvent>

namespace shell {

void closeToEnd(QCloseEvent* event, const std::function<bool()>& mayEnd,
                const std::function<void()>& formClose) {
    if (mayEnd && !mayEnd()) {
        event->ignore();
        return;
    }
    guarded(formClose);
    event->accept();
}

} // namespace shell
