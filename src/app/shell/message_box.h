#pragma once

#include <QString>

namespace shell {

// A modal box with the caption, the text, an error icon and one OK button.
void showErrorMessageBox(const QString& caption, const QString& text);

} // namespace shell
