#include "editor_window.h"

#include "about_box.h"
#include "core/caption_lines.h"
#include "damage_document.h"
#include "file_names.h"
#include "settings/application_ctrl.h"
#include "settings/form_placement.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/question.h"
#include "shell/window_close.h"
#include "shell/window_placement.h"
#include "string_grid.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

TForm3* Form3 = nullptr;

namespace {

constexpr QSize kDesignSize(797, 327);

} // namespace

TForm3::TForm3(DamageDocument& document, TLMDIniCtrl* settings, QWidget* parent)
    : QMainWindow(parent), document_(document) {
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
    Recent1 = MainMenu1->addMenu(QStringLiteral("Recent"));
    Recent1->setObjectName(QStringLiteral("Recent1"));
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
    LMDForm1 = new TLMDForm(this, settings, QStringLiteral("Common"), QStringLiteral("Form3"),
                            soPos | soSize | soState);

    shell::guarded([this] { FormCreate(); });
}

// The grid's header texts and column widths are set up before the caption. A failing step skips
// the rest, so the window keeps its design caption. The files are read now, so that a missing one
// is reported at start-up; the grid takes their texts, and is sized, when it is built.
void TForm3::FormCreate() {
    loadedCaptions_.clear();
    dm::loadCaptionFiles(nativePath(shell::dataFolder()),
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
    connect(view3d, &QAction::triggered, this, [this] { shell::guarded(links_.show3dView); });

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
    const QString readOnly =
        document_.CurrentDamageFile.readOnly() ? QStringLiteral(" (read-only)") : QString();
    setWindowTitle(QStringLiteral("Editing DM File: ") + withoutFolder(document_.fileName()) +
                   readOnly);
}

void TForm3::fillGrid() {
    StringGrid1->fillValueCells(
        dm::fillCells(document_.PartTable, StringGrid1->decimalSeparator().toStdString()));
    // The grid now shows the table exactly: whatever was typed is gone, and so are its changes.
    StringGrid1->clearMarker();
}

void TForm3::StringGrid1GetCellColor(int ARow, int ACol, CellPaint& paint) {
    applyCellColorRules(ARow, ACol, paint);
}

// Every text is accepted as typed; it is checked when saving.
void TForm3::StringGrid1CellValidate(int, int, QString&, bool&) {
    StringGrid1->setMarker();
}

void TForm3::Open1Click() {
    openWith(links_.chooseAndRead);
}

void TForm3::openFile(const QString& path) {
    openWith([this, &path] {
        links_.readFile(path);
        return true;
    });
}

void TForm3::reloadFile() {
    const QString current = document_.fileName();
    readAndShow([this, &current] {
        links_.readFile(current);
        return true;
    });
}

void TForm3::openWith(const std::function<bool()>& chooseAndRead) {
    if (confirmUnsavedChanges())
        readAndShow(chooseAndRead);
}

void TForm3::readAndShow(const std::function<bool()>& chooseAndRead) {
    links_.hideStartWindow();
    // Nothing typed is given up until a file has really been read: a cancelled dialog keeps it.
    if (chooseAndRead() || !StringGrid1->markerSet())
        links_.fillAndShow();
    Save1->setEnabled(true);
    SaveAs1->setEnabled(true);
    StringGrid1->sizeColumns();
}

void TForm3::Save1Click() {
    const dm::DamageFile& current = document_.CurrentDamageFile;
    if (current.path().empty() || current.readOnly()) {
        SaveAs1Click();
        return;
    }
    StringGrid1->commitCheck();
    const dm::CellTexts texts = StringGrid1->valueTexts();
    const dm::PartTable parsed = parseGrid(texts);
    if (current.changedOnDisk() &&
        !shell::askYesNo(QStringLiteral("The file has been changed by another program since it "
                                        "was opened. Overwrite it with your values?"),
                         this))
        return;
    document_.save(parsed);
    keepSaved(texts);
}

void TForm3::SaveAs1Click() {
    StringGrid1->commitCheck();
    if (!chooseSaveAsTarget())
        return;
    const dm::CellTexts texts = StringGrid1->valueTexts();
    const dm::PartTable parsed = parseGrid(texts);
    // The new file is the current one from now on: the caption names it, Save writes into it.
    document_.saveAs(SaveDialog1.fileName(), parsed);
    keepSaved(texts);
}

bool TForm3::hasUnsavedEdits() {
    if (!StringGrid1.built()) // never shown or filled: nothing was typed
        return false;
    StringGrid1->commitCheck();
    return StringGrid1->markerSet();
}

bool TForm3::confirmUnsavedChanges() {
    if (!hasUnsavedEdits())
        return true;
    const QString name = withoutFolder(document_.fileName());
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
        return dm::parseCells(texts, StringGrid1->lastFilledTexts(), document_.PartTable,
                              StringGrid1->decimalSeparator().toStdString());
    } catch (const dm::CellParseError& error) {
        StringGrid1->setCurrentCell(error.column(), error.row());
        StringGrid1->scrollTo(StringGrid1->currentIndex());
        throw;
    }
}

void TForm3::keepSaved(const dm::CellTexts& texts) {
    StringGrid1->fillValueCells(texts, StringGrid::History::Keep);
    StringGrid1->clearMarker();
    links_.repaintViews();
}

// The save dialog itself replaces files without asking; No shows the dialog again.
bool TForm3::chooseSaveAsTarget() {
    // In the current file's folder with its name, or the last Open folder and the last name chosen.
    const QString current = document_.fileName();
    SaveDialog1.setInitialDir(current.isEmpty() ? links_.rememberedFolder()
                                                : folderOfFileName(current));
    SaveDialog1.setFileName(withoutFolder(current.isEmpty() ? SaveDialog1.fileName() : current));
    for (;;) {
        if (!SaveDialog1.execute(this))
            return false;
        const QString target = SaveDialog1.fileName();
        if (!QFileInfo(target).isFile() ||
            shell::askYesNo(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(withoutFolder(target)),
                            this))
            return true;
    }
}

void TForm3::hitboxClick() {
    links_.showViews();
}

void TForm3::showPartRow(int slot) {
    StringGrid1->setCurrentCell(1, slot + 1);
    StringGrid1->scrollTo(StringGrid1->currentIndex());
    shell::showWindow(this);
}

void TForm3::AircraftList1Click() {
    links_.showAircraftList();
}

void TForm3::DamageAxis1Click() {
    links_.showDamageAxis();
}

void TForm3::About1Click() {
    LMDAboutDlg1->Execute();
}

void TForm3::FormClose() {
    document_.close();
    shell::terminate();
}

void TForm3::closeEvent(QCloseEvent* event) {
    shell::closeToEnd(event, links_.mayEnd, [this] { FormClose(); });
}
