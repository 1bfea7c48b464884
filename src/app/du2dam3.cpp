#include "du2dam3.h"

#include "about_box.h"
#include "du2dam.h"
#include "du2dam2.h"
#include "du2dam4.h"
#include "du2dam5.h"
#include "du2dam6.h"
#include "platform/application.h"
#include "platform/error_display.h"
#include "settings/application_ctrl.h"
#include "settings/form_placement.h"

#include <QCloseEvent>
#include <QMenuBar>

#include <algorithm>

TForm3* Form3 = nullptr;

namespace {

constexpr QSize kDesignSize(797, 327);

QString withoutFolder(const QString& name) {
    const qsizetype separator = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    return name.mid(separator + 1);
}

} // namespace

TForm3::TForm3(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Click \"Open\" to open a Damage File."));
    resize(kDesignSize);

    LMDApplicationCtrl1 = new TLMDApplicationCtrl(this);
    LMDApplicationCtrl1->apply();

    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto addItem = [this](const char* name, const QString& caption) {
        QAction* item = MainMenu1->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    Open1 = addItem("Open1", QStringLiteral("Open"));
    Save1 = addItem("Save1", QStringLiteral("Save"));
    SaveAs1 = addItem("SaveAs1", QStringLiteral("Save As"));
    hitbox = addItem("hitbox", QStringLiteral("Hit Box Image"));
    AircraftList1 = addItem("AircraftList1", QStringLiteral("Aircraft List"));
    DamageAxis1 = addItem("DamageAxis1", QStringLiteral("Damage Axis"));
    About1 = addItem("About1", QStringLiteral("About"));

    Open1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Save1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    SaveAs1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    Save1->setEnabled(false);
    SaveAs1->setEnabled(false);

    connect(hitbox, &QAction::triggered, this, platform::guardedSlot(this, &TForm3::hitboxClick));
    connect(AircraftList1, &QAction::triggered, this,
            platform::guardedSlot(this, &TForm3::AircraftList1Click));
    connect(DamageAxis1, &QAction::triggered, this,
            platform::guardedSlot(this, &TForm3::DamageAxis1Click));

    connect(About1, &QAction::triggered, this, platform::guardedSlot(this, &TForm3::About1Click));

    LMDAboutDlg1 = new TLMDAboutDlg(this);
    LMDForm1 = new TLMDForm(this, Form1 ? Form1->LMDIniCtrl1 : nullptr, QStringLiteral("Common"),
                            QStringLiteral("Form3"), soPos | soSize | soState);

    platform::guarded([this] { FormCreate(); });
}

// The grid's header texts and column widths are set up before the caption. A failing step skips
// the rest, so the window keeps its design caption.
void TForm3::FormCreate() {
    setEditorCaption();
}

void TForm3::setEditorCaption() {
    const QString chosen = Form1 ? Form1->du2open.fileName() : QString();
    setWindowTitle(QStringLiteral("Editing DM File: ") + withoutFolder(chosen));
}

void TForm3::hitboxClick() {
    platform::showWindow(Form5);
    platform::showWindow(Form6);
}

void TForm3::AircraftList1Click() {
    platform::showWindow(Form4);
}

void TForm3::DamageAxis1Click() {
    platform::showWindow(Form2);
}

void TForm3::About1Click() {
    LMDAboutDlg1->Execute();
}

void TForm3::FormClose() {
    closeCurrentDamageFile();
    platform::terminate();
}

void TForm3::closeEvent(QCloseEvent* event) {
    platform::guarded([this] { FormClose(); });
    event->accept();
}
