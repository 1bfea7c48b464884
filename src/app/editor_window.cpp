#include "editor_window.h"

#include "about_box.h"
#include "aircraft_list_window.h"
#include "axis_window.h"
#include "core/caption_lines.h"
#include "file_names.h"
#include "hitbox_3d_view.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/question.h"
#include "shell/window_placement.h"
#include "settings/application_ctrl.h"
#include "settings/form_placement.h"
#include "side_view.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>

TForm3* Form3 = nullptr;

bool askBeforeEnding() {
    bool ending = false;
    shell::guarded([&] { ending = !Form3 || Form3->confirmUnsavedChanges(); });
    return ending;
}

void closeToEnd(QCloseEvent* event, const std::function<void()>& formClose) {
    if (!askBeforeEnding()) {
        event->ignore();
        return;
    }
    shell::guarded(formClose);
    event->accept();
}

namespace {

constexpr QSize kDesignSize(797, 327);

} // namespace

TForm3::TForm3(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Click \"Open\" to open a Damage File."));
    shell::resizeOuter(this, kDesignSize);

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

    connect(Open1, &QAction::triggered, this, shell::guardedSlot(this, &TForm3::Open1Click));
    connect(Save1, &QAction::triggered, this, shell::guardedSlot(this, &TForm3::Save1Click));
    connect(SaveAs1, &QAction::triggered, this, shell::guardedSlot(this, &TForm3::SaveAs1Click));
    connect(hitbox, &QAction::triggered, this, shell::guardedSlot(this, &TForm3::hitboxClick));
    connect(AircraftList1, &QAction::triggered, this,
            shell::guardedSlot(this, &TForm3::AircraftList1Click));
    connect(DamageAxis1, &QAction::triggered, this,
            shell::guardedSlot(this, &TForm3::DamageAxis1Click));

    connect(About1, &QAction::triggered, this, shell::guardedSlot(this, &TForm3::About1Click));

    SaveDialog1.setTitle(QStringLiteral("Save DM File as..."));
    SaveDialog1.setFilter(QStringLiteral("Damage Files|*.dat|All Files|*.*"));
    SaveDialog1.setDefaultExt(QStringLiteral("dat"));

    LMDAboutDlg1 = new TLMDAboutDlg(this);
    LMDForm1 = new TLMDForm(this, Form1 ? Form1->LMDIniCtrl1 : nullptr, QStringLiteral("Common"),
                            QStringLiteral("Form3"), soPos | soSize | soState);

    shell::guarded([this] { FormCreate(); });
}

// The grid's header texts and column widths are set up before the caption. A failing step skips
// the rest, so the window keeps its design caption. The files are read now, so that a missing one
// is reported at start-up; the grid takes their texts, and is sized, when it is built.
void TForm3::FormCreate() {
    loadedCaptions_.clear();
    dm::loadCaptionFiles(localPath(shell::dataFolder()),
                         [this](int column, int row, const std::string& text) {
                             loadedCaptions_.push_back({column, row, QString::fromStdString(text)});
                         });
    sizeColumnsWhenBuilt_ = true;
    setEditorCaption();
}

StringGrid* TForm3::buildGrid() {
    auto* grid = new StringGrid(this);
    grid->setObjectName(QStringLiteral("StringGrid1"));
    setCentralWidget(grid);
    grid->OnGetCellColor = [this](int ARow, int ACol, CellPaint& paint) {
        StringGrid1GetCellColor(ARow, ACol, paint);
    };
    grid->OnCellValidate = [this](int Col, int Row, QString& Value, bool& Valid) {
        StringGrid1CellValidate(Col, Row, Value, Valid);
    };
    // The 3-D view is one right click away from the grid too, after the editing entries.
    grid->GridMenu->addSeparator();
    QAction* view3d = grid->GridMenu->addAction(QStringLiteral("3D View"));
    connect(view3d, &QAction::triggered, this, [] { shell::guarded(showHitBox3dView); });

    for (const CaptionCell& caption : loadedCaptions_)
        grid->setCellText(caption.column, caption.row, caption.text);
    if (sizeColumnsWhenBuilt_)
        grid->sizeColumns();
    return grid;
}

void TForm3::setVisible(bool visible) {
    if (visible)
        StringGrid1.get();
    QMainWindow::setVisible(visible);
}

void TForm3::setEditorCaption() {
    const QString chosen = Form1 ? Form1->du2open.fileName() : QString();
    const QString readOnly = CurrentDamageFile.readOnly() ? QStringLiteral(" (read-only)") : QString();
    setWindowTitle(QStringLiteral("Editing DM File: ") + withoutFolder(chosen) + readOnly);
}

void TForm3::StringGrid1GetCellColor(int ARow, int ACol, CellPaint& paint) {
    applyCellColorRules(ARow, ACol, paint);
}

// Every text is accepted as typed; it is checked when saving.
void TForm3::StringGrid1CellValidate(int, int, QString&, bool&) {
    StringGrid1->setMarker();
}

void TForm3::Open1Click() {
    openWith([] { return Form1->Button3Click(); });
}

void TForm3::openFile(const QString& path) {
    openWith([&path] {
        Form1->readFile(path);
        return true;
    });
}

void TForm3::openWith(const std::function<bool()>& chooseAndRead) {
    if (!confirmUnsavedChanges())
        return;
    Form1->hide();
    // Nothing typed is given up until a file has really been read: a cancelled dialog keeps it.
    if (chooseAndRead() || !StringGrid1->markerSet())
        Form1->Button4Click();
    Save1->setEnabled(true);
    SaveAs1->setEnabled(true);
    StringGrid1->sizeColumns();
}

void TForm3::Save1Click() {
    if (CurrentDamageFile.path().empty() || CurrentDamageFile.readOnly()) {
        SaveAs1Click();
        return;
    }
    StringGrid1->commitCheck();
    const dm::CellTexts texts = StringGrid1->valueTexts();
    const dm::PartTable parsed = parseGrid(texts);
    if (CurrentDamageFile.changedOnDisk() &&
        !shell::askYesNo(QStringLiteral("The file has been changed by another program since it "
                                           "was opened. Overwrite it with your values?"),
                            this))
        return;
    CurrentDamageFile.save(parsed);
    keepSaved(texts, parsed);
}

void TForm3::SaveAs1Click() {
    StringGrid1->commitCheck();
    if (!chooseSaveAsTarget())
        return;
    const dm::CellTexts texts = StringGrid1->valueTexts();
    const dm::PartTable parsed = parseGrid(texts);
    const QString target = SaveDialog1.fileName();
    CurrentDamageFile.saveAs(localPath(target), DamageFileHeader, parsed);
    // The new file is the current one from now on: the caption names it, Save writes into it.
    Form1->du2open.setFileName(target);
    setEditorCaption();
    keepSaved(texts, parsed);
}

bool TForm3::confirmUnsavedChanges() {
    if (!StringGrid1.built()) // never shown or filled: nothing was typed
        return true;
    StringGrid1->commitCheck();
    if (!StringGrid1->markerSet())
        return true;
    const QString name = withoutFolder(Form1->du2open.fileName());
    const QString question = name.isEmpty() ? QStringLiteral("Save the changes?")
                                            : QStringLiteral("Save the changes to %1?").arg(name);
    switch (shell::askSaveChanges(question, this)) {
    case shell::SaveChangesAnswer::Save:
        Save1Click();
        // A cancelled save dialog saved nothing.
        return !StringGrid1->markerSet();
    case shell::SaveChangesAnswer::Discard:
        return true;
    case shell::SaveChangesAnswer::Cancel:
        break;
    }
    return false;
}

dm::PartTable TForm3::parseGrid(const dm::CellTexts& texts) {
    try {
        return dm::parseCells(texts, StringGrid1->lastFilledTexts(), PartTable,
                              StringGrid1->decimalSeparator().toStdString());
    } catch (const dm::CellParseError& error) {
        StringGrid1->setCurrentCell(error.column(), error.row());
        StringGrid1->scrollTo(StringGrid1->currentIndex());
        throw;
    }
}

void TForm3::keepSaved(const dm::CellTexts& texts, const dm::PartTable& parsed) {
    PartTable = parsed;
    StringGrid1->fillValueCells(texts, StringGrid::History::Keep);
    StringGrid1->clearMarker();
    repaintHitBoxViews();
}

// The save dialog itself replaces files without asking; No shows the dialog again.
bool TForm3::chooseSaveAsTarget() {
    // In the current file's folder, or the last Open folder; the last name chosen without its own.
    const QString current = Form1->du2open.fileName();
    SaveDialog1.setInitialDir(current.isEmpty() ? Form1->rememberedFolder()
                                                : folderOfFileName(current));
    SaveDialog1.setFileName(withoutFolder(SaveDialog1.fileName()));
    for (;;) {
        if (!SaveDialog1.execute(this))
            return false;
        const QString target = SaveDialog1.fileName();
        if (!QFileInfo(target).isFile() ||
            shell::askYesNo(
                QStringLiteral("%1 already exists.\nDo you want to replace it?")
                    .arg(withoutFolder(target)),
                this))
            return true;
    }
}

void TForm3::hitboxClick() {
    shell::showInOrder({Form5, Form6});
}

void TForm3::showPartRow(int slot) {
    StringGrid1->setCurrentCell(1, slot + 1);
    StringGrid1->scrollTo(StringGrid1->currentIndex());
    shell::showWindow(this);
}

void TForm3::AircraftList1Click() {
    shell::showWindow(Form4);
}

void TForm3::DamageAxis1Click() {
    shell::showWindow(Form2);
}

void TForm3::About1Click() {
    LMDAboutDlg1->Execute();
}

void TForm3::FormClose() {
    closeCurrentDamageFile();
    shell::terminate();
}

void TForm3::closeEvent(QCloseEvent* event) {
    closeToEnd(event, [this] { FormClose(); });
}
