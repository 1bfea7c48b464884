#include "shell/error_display.h"
#include "shell/test_hooks.h"

#include "shell/application.h"
#include "shell/message_box.h"

#include <exception>

namespace shell {
namespace {

class MessageBoxPresenter : public ErrorPresenter {
public:
    void present(const QString& caption, const QString& text) override {
        showErrorMessageBox(caption, text);
    }
};

MessageBoxPresenter messageBoxPresenter;
ErrorPresenter* currentPresenter = &messageBoxPresenter;

} // namespace

void setErrorPresenter(ErrorPresenter* presenter) {
    currentPresenter = presenter ? presenter : &messageBoxPresenter;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + '.';
    return message;
}

void showError(const QString& message) {
    currentPresenter->present(applicationTitle(), errorBoxText(message));
}

void guarded(const std::function<void()>& handler) noexcept {
    try {
        try {
            handler();
        } catch (const std::exception& error) {
            showError(QString::fromUtf8(error.what()));
        } catch (...) {
            showError(QStringLiteral("Unexpected error"));
        }
    } catch (...) {
        // Showing the error failed too; the event loop must not see it.
    }
}

} // namespace shell
