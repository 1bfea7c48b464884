#pragma once

#include "core/cell_text.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

#include <array>
#include <functional>

// A cell of the grid: column 0 to 22, row 0 to 30; row 0 and column 0 are the header cells.
struct GridCell {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

constexpr int kLastShownColumn = dm::kShownColumnCount - 1; // 18
constexpr int kLastRow = dm::kGridRowCount - 1;             // 30

// What a cell is about to be drawn with; `OnGetCellColor` may change any of it.
struct CellPaint {
    QColor brush;
    QColor fontColor;
    QFont font;
};

// The grid's text store of 23 columns by 31 rows. The value cells (rows 1 to 30, columns 1 to 22)
// are the model's items; row 0 and column 0 are its header data.
class GridTextModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTextModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QString& cell(GridCell cell) const;
    void setCell(GridCell cell, const QString& text);
    // Writes every value cell at once.
    void setValueCells(const dm::CellTexts& texts);

    bool markerSet() const { return markerSet_; }
    void setMarkerSet(bool set);
    QColor headerBackground() const;
    QColor headerTextColor() const;

    // How a header cell is drawn: the header views paint from the roles that answer from it.
    std::function<CellPaint(GridCell)> headerPaint;

    static GridCell cellOf(const QModelIndex& index) {
        return {index.column() + 1, index.row() + 1};
    }

private:
    std::array<std::array<QString, dm::kGridColumnCount>, dm::kGridRowCount>
        cells_; // [row][column]
    bool markerSet_ = false;
};
