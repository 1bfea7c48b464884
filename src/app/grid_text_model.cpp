#include "grid_text_model.h"

#include "core/part_slots.h"
#include "views/qt_colours.h"

#include <QApplication>
#include <QPalette>

#include <stdexcept>

namespace {

void checkCell(GridCell cell) {
    if (cell.column < 0 || cell.column >= dm::kGridColumnCount || cell.row < 0 ||
        cell.row > kLastRow)
        throw std::out_of_range("grid cell out of range");
}

} // namespace

GridTextModel::GridTextModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int column = 0; column < dm::kGridColumnCount; ++column)
        cells_[0][column] = QString::fromUtf8(dm::kColumnCaptions[column]);
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        cells_[slot + 1][0] = QString::fromUtf8(dm::kPartSlots[slot].name);
}

int GridTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dm::kGridRowCount - 1;
}

int GridTextModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dm::kGridColumnCount - 1;
}

QVariant GridTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(cellOf(index));
}

bool GridTextModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(cellOf(index), value.toString());
    return true;
}

Qt::ItemFlags GridTextModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant GridTextModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const GridCell header =
        orientation == Qt::Horizontal ? GridCell{section + 1, 0} : GridCell{0, section + 1};
    if (role == Qt::DisplayRole)
        return cell(header);
    if (!headerPaint ||
        (role != Qt::BackgroundRole && role != Qt::ForegroundRole && role != Qt::FontRole))
        return {};
    const CellPaint paint = headerPaint(header);
    switch (role) {
    case Qt::BackgroundRole:
        return paint.brush;
    case Qt::ForegroundRole:
        return paint.fontColor;
    default:
        return paint.font;
    }
}

const QString& GridTextModel::cell(GridCell cell) const {
    checkCell(cell);
    return cells_[cell.row][cell.column];
}

void GridTextModel::setCell(GridCell cell, const QString& text) {
    checkCell(cell);
    QString& stored = cells_[cell.row][cell.column];
    if (stored == text)
        return;
    stored = text;
    if (cell.row > 0 && cell.column > 0) {
        const QModelIndex changed = index(cell.row - 1, cell.column - 1);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    } else if (cell.row == 0 && cell.column > 0) {
        emit headerDataChanged(Qt::Horizontal, cell.column - 1, cell.column - 1);
    } else if (cell.row > 0) {
        emit headerDataChanged(Qt::Vertical, cell.row - 1, cell.row - 1);
    }
}

void GridTextModel::setValueCells(const dm::CellTexts& texts) {
    for (int slot = 0; slot < dm::kSlotCount; ++slot)
        for (int field = 0; field < dm::kFieldCount; ++field)
            cells_[slot + 1][field + 1] = QString::fromStdString(texts[slot][field]);
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::EditRole});
}

void GridTextModel::setMarkerSet(bool set) {
    if (markerSet_ == set)
        return;
    markerSet_ = set;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

QColor GridTextModel::headerBackground() const {
    return markerSet_ ? toQColor(dm::colours::maroon)
                      : QApplication::palette().color(QPalette::Button);
}

QColor GridTextModel::headerTextColor() const {
    return markerSet_ ? toQColor(dm::colours::silver)
                      : QApplication::palette().color(QPalette::WindowText);
}
