#include "settings/form_placement.h"

#include "core/placement.h"
#include "settings/ini_ctrl.h"
#include "shell/error_display.h"
#include "shell/window_placement.h"

#include <QEvent>
#include <QWidget>

TLMDForm::TLMDForm(QWidget* window, TLMDIniCtrl* store, const QString& section,
                   const QString& iniKey, TLMDIniSaveOptions options, QSize smallestSize)
    : QObject(window), Section(section), IniKey(iniKey), IniSaveOptions(options), window_(window),
      store_(store), smallestSize_(smallestSize) {
    setObjectName(QStringLiteral("LMDForm1"));
    window->installEventFilter(this);
    shell::watchFrame(window);
}

TLMDForm::~TLMDForm() {
    shell::guarded([this] { savePlacement(); });
}

void TLMDForm::restorePlacement() {
    if (!store_)
        return;
    const std::string value = store_->ReadString(Section, IniKey, QString()).toStdString();
    const dm::Placement current = shell::windowPlacement(window_);
    const std::optional<dm::Placement> stored =
        dm::parsePlacement(value, IniSaveOptions.testFlag(soState), current);
    if (!stored)
        return;
    shell::setWindowPlacement(
        window_, dm::fitToScreen(*stored, shell::placementLimits(window_, smallestSize_)));
}

void TLMDForm::savePlacement() {
    if (!store_)
        return;
    // A window never shown in this run (its first show restores it) has only the place the window
    // system gave it at its creation: the one the user left it at in an earlier run stays.
    const QString stored = restored_ ? QString() : store_->ReadString(Section, IniKey, QString());
    const QString value =
        !stored.isEmpty()
            ? stored
            : QString::fromStdString(dm::formatPlacement(shell::windowPlacement(window_)));
    store_->WriteEntries(Section, {{IniKey.toStdString(), value.toStdString()},
                                   {(IniKey + QLatin1String("Color")).toStdString(), std::nullopt},
                                   {(IniKey + QLatin1String("Font")).toStdString(), std::nullopt}});
}

bool TLMDForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous() &&
        !(restored_ && IniSaveOptions.testFlag(soRestoreOnce))) {
        restored_ = true;
        shell::guarded([this] { restorePlacement(); });
    }
    return QObject::eventFilter(watched, event);
}
