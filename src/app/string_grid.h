#pragma once

#include "grid_text_model.h"

#include "core/cell_text.h"

#include <QHeaderView>
#include <QTableView>
#include <QUndoStack>

#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QLineEdit;
class QMenu;

// A rectangle of value cells, `first` its top left and `last` its bottom right cell.
struct GridRange {
    GridCell first;
    GridCell last;
};

// One committed change of a cell's text.
struct CellChange {
    GridCell cell;
    QString before;
    QString after;
};

// The colour rules of the editor grid applied to a cell's paint.
void applyCellColorRules(int ARow, int ACol, CellPaint& paint);

// Header row and header column, drawn flat from the model's background, foreground and font
// roles.
class GridHeaderView : public QHeaderView {
    Q_OBJECT
public:
    using QHeaderView::QHeaderView;

    // A header of fixed thickness hints that thickness without measuring its captions.
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// The editor's grid `StringGrid1`: one header row and column, 30 part rows, 18 shown value
// columns and four hidden ones that are filled and read but never shown or reached.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Called before a cell is drawn, for every cell while sizing, and for the editor's
    // background. Preset to the colour rules.
    std::function<void(int ARow, int ACol, CellPaint& paint)> OnGetCellColor;
    // Called for a committed cell whose text changed; may replace `Value` or clear `Valid` to
    // refuse it. Preset to set the edit marker.
    std::function<void(int Col, int Row, QString& Value, bool& Valid)> OnCellValidate;

    // Any cell of the store, shown or not.
    QString cellText(int column, int row) const;
    void setCellText(int column, int row, const QString& text);

    // The fill: writes the value cells (columns 1 to 22 of rows 1 to 30) and remembers them as
    // the last filled texts. The commit rule then starts afresh, so a fill never sets the marker.
    // A fill of new texts empties the undo history; a save that fills back what it wrote keeps it.
    enum class History { Clear, Keep };
    void fillValueCells(const dm::CellTexts& texts, History history = History::Clear);
    dm::CellTexts valueTexts() const;
    const dm::CellTexts& lastFilledTexts() const { return lastFilled_; }

    // Only value cells that are shown (columns 1 to 18, rows 1 to 30) can become current.
    void setCurrentCell(int column, int row);
    GridCell currentCell() const;

    // Validates the remembered cell if its text changed, then remembers the current cell; runs
    // whenever the cell is left and on demand before the grid is read.
    void commitCheck();

    bool markerSet() const;
    void setMarker();
    void clearMarker();

    // Fits every shown column to its widest text in the cell's own font, plus "xx".
    void sizeColumns();

    // The user locale's decimal separator, "." where it gives none; read at start and again when
    // the locale changes.
    QString decimalSeparator() const { return decimalSeparator_; }
    static QString decimalSeparatorOf(const QLocale& locale);

    const QFont& gridFont() const { return gridFont_; }
    // The cell's colours and font after `OnGetCellColor`.
    CellPaint cellPaint(GridCell cell) const;

    void paintValueCell(QPainter& painter, const QRect& rect, const QModelIndex& index) const;
    void paintHeaderCell(QPainter& painter, const QRect& rect, const CellPaint& paint,
                         const QString& text) const;

    // The cell editor's keys. Escape gives the cell back its text and closes the editor.
    void enterInEditor(QWidget* editor);
    void escapeInEditor(QWidget* editor);
    // Copy, Cut or Paste pressed in the cell editor: the grid takes them for a range of cells and
    // for a pasted block of cells; true when it did.
    bool takeClipboardKey(const QKeyEvent& event);

    // Every committed change is one step, a paste or a cut one step for all its cells. With the
    // cell editor open, its uncommitted text is given back first.
    void undo();
    void redo();
    const QUndoStack& history() const { return history_; }
    // Live texts, as of a drag in a view: written into the cells past the commit rule and the
    // history.
    void previewTexts(const std::vector<std::pair<GridCell, QString>>& texts);
    // Commits texts into their cells as one step. Steps of one run (a `run` other than -1)
    // that follow each other in the history merge into one.
    void commitTexts(const std::vector<std::pair<GridCell, QString>>& texts, int run = -1);

    // The selected shown value cells, or the current cell, as tab-separated lines joined by CR LF.
    QString selectionText() const;
    void copySelection();
    // Copies, then commits an empty text into every selected cell.
    void cutSelection();
    // Commits a tab-separated block of lines from the current cell on, clipped at the last shown
    // column and the last row.
    void pasteText(const QString& text);
    void pasteFromClipboard();
    void selectAllCells();

    // The context menu: Undo, Redo, Cut, Copy, Paste, Select All.
    QMenu* GridMenu;
    QAction* UndoItem;
    QAction* RedoItem;
    QAction* CutItem;
    QAction* CopyItem;
    QAction* PasteItem;
    QAction* SelectAllItem;

    static constexpr int kRowHeight = 21;
    static constexpr int kInitialColumnWidth = 60;
    // Cell text starts this far right of and below the cell's corner.
    static constexpr int kTextMargin = 2;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class CellChangeStep;

    // The cell editor, the context menu and the history's links to it.
    void setUpEditing();
    QAction* addEditItem(const QString& caption, const QList<QKeySequence>& keys,
                         void (StringGrid::*handler)());
    void updateEditItems();
    void updateHistoryItems();
    void updatePasteItem();
    QLineEdit* openEditor() const;
    bool editorHasUncommittedText() const;
    void closeOpenEditor();
    GridRange selectedRange() const;
    void selectRange(const GridRange& range);
    // The commit rule for one cell: the handler sees `after` and may change or refuse it; the
    // cell keeps what was accepted, or `before`. Returns the text the cell keeps.
    QString validate(GridCell cell, const QString& before, const QString& after);
    // Commits each text into its cell and records what changed as one step.
    void commitBlock(const GridRange& range, const std::vector<std::pair<GridCell, QString>>& texts,
                     int run = -1);
    // Undo or redo of one step: the changed range becomes current, then each text is committed.
    void replay(const GridRange& range, const std::vector<CellChange>& changes, bool undoing);
    void focusChanged(QWidget* old, QWidget* now);
    bool ownsWidget(const QWidget* widget) const;
    void rememberCurrentCell();
    void readDecimalSeparator();
    void setColumnWidthOf(int column, int width);
    QModelIndex indexOf(GridCell cell) const;
    QColor gridLineColor() const;

    GridTextModel model_;
    GridHeaderView* columnHeader_;
    GridHeaderView* rowHeader_;
    QAbstractButton* cornerButton_ = nullptr;
    QFont gridFont_;
    QString decimalSeparator_ = QStringLiteral(".");
    dm::CellTexts lastFilled_;
    // The commit rule's remembered cell and text.
    GridCell remembered_{1, 1};
    QString rememberedText_;
    // The text the current cell had when it became current, for Escape.
    QString textWhenCurrent_;
    bool hadFocus_ = false;
    QMetaObject::Connection focusConnection_;
    QUndoStack history_;
};
