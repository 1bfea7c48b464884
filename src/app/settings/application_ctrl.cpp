#include "settings/application_ctrl.h"

#include "hint_pause.h"
#include "platform/application.h"

#include <QApplication>

TLMDApplicationCtrl::TLMDApplicationCtrl(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("LMDApplicationCtrl1"));
}

void TLMDApplicationCtrl::apply() const {
    platform::setApplicationTitle(QLatin1String(Title));
    QApplication::setWindowIcon(platform::applicationIcon());
    installShortHintPause();
}
