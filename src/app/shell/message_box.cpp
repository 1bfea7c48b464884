#include "shell/message_box.h"

#include "shell/application.h"

#include <QMessageBox>

namespace shell {

void showErrorMessageBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowIcon(fullApplicationIcon());
    box.exec();
}

} // namespace shell
