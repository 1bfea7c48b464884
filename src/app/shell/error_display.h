#pragma once

#include <QString>

#include <functional>

namespace shell {

// Where the error box goes; tests install their own to read what it would show.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;
    virtual void present(const QString& caption, const QString& text) = 0;
};

// The message as the box shows it: a "." is appended when the last character sorts after ".".
QString errorBoxText(const QString& message);

// Shows a message in the error box, captioned with the application title.
void showError(const QString& message);

// Runs one event's handler; any failure is shown in the error box and never crosses Qt's loop.
void guarded(const std::function<void()>& handler) noexcept;

// A slot that runs the member handler through guarded().
template <class Window> auto guardedSlot(Window* window, void (Window::*handler)()) {
    return [window, handler] { guarded([window, handler] { (window->*handler)(); }); };
}

} // namespace shell
