#include "platform/message_box.h"

#include "platform/application.h"

#include <QMessageBox>

namespace platform {

void showErrorMessageBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowIcon(fullApplicationIcon());
    box.exec();
}

} // namespace platform
