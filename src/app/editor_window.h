#pragma once

#include "core/cell_text.h"
#include "shell/built_on_first_use.h"
#include "shell/file_dialog.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <vector>

class DamageDocument;
class QAction;
class QCloseEvent;
class StringGrid;
struct CellPaint;
class QMenu;
class QMenuBar;
class TLMDAboutDlg;
class TLMDApplicationCtrl;
class TLMDForm;
class TLMDIniCtrl;

// What the editor's commands do to the other windows, given by the program's wiring.
struct EditorLinks {
    // Open's steps on the start window: choose and read (false when nothing was read), read a
    // named file, fill and show, and the window itself hidden.
    std::function<bool()> chooseAndRead;
    std::function<void(const QString& path)> readFile;
    std::function<void()> fillAndShow;
    std::function<void()> hideStartWindow;
    // The folder of the last Open, for the save dialog when no file is open.
    std::function<QString()> rememberedFolder;
    std::function<void()> repaintViews;
    std::function<void()> showViews;
    std::function<void()> showAircraftList;
    std::function<void()> showDamageAxis;
    std::function<void()> show3dView;
    // Whether the program may end now; asked before the window closes.
    std::function<bool()> mayEnd;
};

// The editor window: the menu bar, and what the editor's commands build on.
class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    TForm3(DamageDocument& document, TLMDIniCtrl* settings, QWidget* parent = nullptr);

    void linkTo(EditorLinks links) { links_ = std::move(links); }

    QMenuBar* MainMenu1;
    QAction* Open1;
    QAction* Save1;
    QAction* SaveAs1;
    QMenu* Recent1; // filled by the program's wiring
    QAction* hitbox;
    QAction* AircraftList1;
    QAction* DamageAxis1;
    QAction* About1;
    // Built on its first use: the window's first showing, or a command that reads or fills it.
    shell::BuiltOnFirstUse<StringGrid> StringGrid1{[this] { return buildGrid(); }};
    shell::FileDialog SaveDialog1{shell::FileDialogKind::Save};
    TLMDAboutDlg* LMDAboutDlg1;
    TLMDApplicationCtrl* LMDApplicationCtrl1;
    TLMDForm* LMDForm1;

    void FormCreate();
    // "Editing DM File: " and the current file's name without its folder, and " (read-only)".
    void setEditorCaption();
    // The grid filled from the part table, with nothing unsaved.
    void fillGrid();

    void StringGrid1GetCellColor(int ARow, int ACol, CellPaint& paint);
    void StringGrid1CellValidate(int Col, int Row, QString& Value, bool& Valid);

    void Open1Click();
    // Open without its dialog: for a file named on the command line or dropped on a window.
    void openFile(const QString& path);
    // Writes the grid into the current damage file once every cell has parsed, after asking when
    // another program has changed the file; while no file has been named, or the current one is
    // read-only, it saves as a new file instead.
    void Save1Click();
    // Writes header, grid and the bytes after the records into a newly chosen file, which then
    // becomes the current damage file.
    void SaveAs1Click();
    // With unsaved changes asks whether to save them first; false when the user cancels, here or
    // in the save dialog.
    bool confirmUnsavedChanges();
    // Whether the grid holds committed changes not yet saved; a cell being typed is committed.
    bool hasUnsavedEdits();
    // The current file read again as Open reads it, whatever the grid holds.
    void reloadFile();
    void hitboxClick();
    // A part pointed at in a view: the first value cell of its row becomes current, in front.
    void showPartRow(int slot);
    void AircraftList1Click();
    void DamageAxis1Click();
    void About1Click();
    void FormClose();

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Open's steps around choosing and reading a file, which returns false when nothing was read.
    void openWith(const std::function<bool()>& chooseAndRead);
    void readAndShow(const std::function<bool()>& chooseAndRead);
    struct CaptionCell {
        int column;
        int row;
        QString text;
    };
    StringGrid* buildGrid();
    // What the creation handler read for the grid, applied as the grid is built.
    std::vector<CaptionCell> loadedCaptions_;
    bool sizeColumnsWhenBuilt_ = false;

    // Every cell parsed into a new table; a bad cell becomes the current cell and raises.
    dm::PartTable parseGrid(const dm::CellTexts& texts);
    // After a save has written everything: the saved texts become the last filled ones.
    void keepSaved(const dm::CellTexts& texts);
    bool chooseSaveAsTarget();

    DamageDocument& document_;
    EditorLinks links_;
};

extern TForm3* Form3;
