#include "platform/application.h"

namespace platform {
namespace {
QString title;
}

void setApplicationTitle(const QString& newTitle) {
    title = newTitle;
}

QString applicationTitle() {
    return title;
}

} // namespace platform
