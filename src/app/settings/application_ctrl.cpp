#include "settings/application_ctrl.h"

#include "hint_pause.h"
#include "shell/application.h"

#include <QApplication>

TLMDApplicationCtrl::TLMDApplicationCtrl(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("LMDApplicationCtrl1"));
}

void TLMDApplicationCtrl::apply() const {
    shell::setApplicationTitle(QLatin1String(Title));
    QApplication::setWindowIcon(shell::applicationIcon());
    installShortHintPause();
}
