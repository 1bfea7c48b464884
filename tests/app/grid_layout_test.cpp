#include "grid_fixture.h"

#include "../support/grid_helpers.h"
#include "../support/scenarios.h"

#include "core/damage_file.h"
#include "core/grid_colors.h"
#include "core/part_slots.h"
#include "views/qt_colours.h"

#include <QAbstractButton>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace {

using GridLayoutTest = GridFixture;

QString builtInCaption(int column, int row) {
    if (row == 0)
        return QString::fromUtf8(dm::kColumnCaptions[column]);
    return QString::fromUtf8(dm::kPartSlots[row - 1].name);
}

void expectBuiltInCaptions(const StringGrid& grid) {
    for (int column = 0; column < dm::kGridColumnCount; ++column)
        EXPECT_EQ(grid.cellText(column, 0), builtInCaption(column, 0)) << "column " << column;
    for (int row = 1; row < dm::kGridRowCount; ++row)
        EXPECT_EQ(grid.cellText(0, row), builtInCaption(0, row)) << "row " << row;
}

TEST_F(GridLayoutTest, StartsWithBuiltInCaptionsFixedRowsAndSixtyPixelColumns) {
    expectBuiltInCaptions(*grid);
    const QAbstractItemModel& model = *grid->model();
    for (int section = 0; section < 18; ++section)
        EXPECT_EQ(model.headerData(section, Qt::Horizontal).toString(),
                  builtInCaption(section + 1, 0));
    EXPECT_EQ(model.headerData(29, Qt::Vertical).toString(), "Oil/Radiator #2");
    for (int column = 0; column <= 18; ++column)
        EXPECT_EQ(testsupport::gridColumnWidth(*grid, column), 60) << column;
    for (int column = 19; column <= 22; ++column)
        EXPECT_TRUE(grid->isColumnHidden(column - 1)) << column;
    EXPECT_EQ(grid->horizontalHeader()->height(), 21);
    for (int row = 0; row < 30; ++row)
        EXPECT_EQ(grid->rowHeight(row), 21) << row;
    EXPECT_EQ(grid->currentCell(), (GridCell{1, 1}));
    for (int row = 1; row <= 30; ++row)
        for (int column = 1; column <= 22; ++column)
            ASSERT_TRUE(grid->cellText(column, row).isEmpty());
}

TEST_F(GridLayoutTest, ShippedCaptionFilesEqualTheBuiltInCaptions) {
    testsupport::loadCaptionFiles(*grid, QStringLiteral(DM_BIN_DIR));
    expectBuiltInCaptions(*grid);
}

QByteArray numberedLines(const char* prefix, int count, const char* lineBreak) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += prefix + QByteArray::number(i) + lineBreak;
    return text;
}

// The caption files in a folder (nothing: no such file), the file named in the error, and the
// captions the grid shows after loading them.
struct CaptionFiles {
    const char* name;
    std::optional<QByteArray> columnFile;
    std::optional<QByteArray> rowFile;
    const char* failingFile; // null: no error
    void (*check)(const StringGrid&);
    friend void PrintTo(const CaptionFiles& scenario, std::ostream* os) { *os << scenario.name; }
};

const CaptionFiles kCaptionFiles[] = {
    {"TwentyFiveColumnLinesFortyRowLines", numberedLines("C", 25, "\r\n"),
     numberedLines("R", 40, "\n"), nullptr,
     [](const StringGrid& g) {
         for (int column = 1; column <= 18; ++column)
             EXPECT_EQ(g.cellText(column, 0), "C" + QString::number(column));
         EXPECT_EQ(g.cellText(19, 0), "Byte6") << "hidden captions stay";
         for (int row = 0; row <= 30; ++row)
             EXPECT_EQ(g.cellText(0, row), "R" + QString::number(row));
     }},
    {"ThreeColumnLinesTheRowFilesFirstLineWinsTheCorner", QByteArray("A\r\nB\r\nC"),
     QByteArray("Row corner\rFirst part\r"), nullptr,
     [](const StringGrid& g) {
         EXPECT_EQ(g.cellText(0, 0), "Row corner");
         EXPECT_EQ(g.cellText(1, 0), "B");
         EXPECT_EQ(g.cellText(2, 0), "C");
         EXPECT_EQ(g.cellText(3, 0), "Byte3");
         EXPECT_EQ(g.cellText(18, 0), "PZ3");
         EXPECT_EQ(g.cellText(0, 1), "First part");
         EXPECT_EQ(g.cellText(0, 2), "Right Lower Inner Wing");
     }},
    {"EmptyFilesChangeNothing", QByteArray(), QByteArray(), nullptr, expectBuiltInCaptions},
    {"BothFilesMissing", std::nullopt, std::nullopt, "DM Column Headers.txt",
     expectBuiltInCaptions},
    {"RowFileMissing", QByteArray("Cols\nOne\n"), std::nullopt, "DM Row Headers.txt",
     [](const StringGrid& g) {
         EXPECT_EQ(g.cellText(0, 0), "Cols");
         EXPECT_EQ(g.cellText(1, 0), "One");
         EXPECT_EQ(g.cellText(2, 0), "Byte2");
         EXPECT_EQ(g.cellText(0, 1), "Right Lower Outer Wing");
     }},
    {"EmptyLinesAreEmptyCaptionsBlanksAndSingleByteLettersKept",
     QByteArray("\r\n Off \r\n\xC4t\r\n"), QByteArray("\n"), nullptr,
     [](const StringGrid& g) {
         EXPECT_EQ(g.cellText(0, 0), "");
         EXPECT_EQ(g.cellText(1, 0), " Off ");
         EXPECT_EQ(g.cellText(2, 0), QString::fromUtf8("\xC3\x84t"));
         EXPECT_EQ(g.cellText(0, 1), "Right Lower Outer Wing");
     }},
};

class CaptionFilesApply : public GridFixture, public testing::WithParamInterface<CaptionFiles> {};

INSTANTIATE_TEST_SUITE_P(GridLayoutTest, CaptionFilesApply, testing::ValuesIn(kCaptionFiles),
                         testsupport::ScenarioName());

TEST_P(CaptionFilesApply, AsFarAsTheyGo) {
    const CaptionFiles& c = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const char* name, const std::optional<QByteArray>& bytes) {
        if (!bytes)
            return;
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*bytes);
    };
    write("DM Column Headers.txt", c.columnFile);
    write("DM Row Headers.txt", c.rowFile);

    StringGrid fresh;
    QString message;
    try {
        testsupport::loadCaptionFiles(fresh, folder.path());
    } catch (const dm::DamageError& error) {
        message = QString::fromUtf8(error.what());
    }
    EXPECT_EQ(message,
              c.failingFile ? "Cannot open file " + folder.filePath(c.failingFile) : QString());
    c.check(fresh);
    EXPECT_EQ(testsupport::gridColumnWidth(fresh, 5), 60) << "loading sizes nothing";
}

TEST_F(GridLayoutTest, CellPaintFollowsTheColourRulesAndTheMarker) {
    const QColor silver(192, 192, 192), grey(160, 160, 160);
    const QColor windowText = QApplication::palette().color(QPalette::WindowText);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    struct Case {
        int column, row;
        QColor brush, text;
        bool bold;
    };
    const std::vector<Case> cases = {
        {1, 1, silver, QColor(0, 80, 0), false},   {10, 2, grey, QColor(0, 80, 0), true},
        {13, 6, silver, QColor(0, 105, 0), false}, {15, 9, silver, QColor(0, 128, 0), false},
        {16, 13, grey, QColor(255, 0, 0), true},   {12, 15, grey, QColor(0, 0, 255), true},
        {4, 20, silver, QColor(128, 0, 0), false}, {4, 23, silver, windowText, false},
        {18, 27, grey, windowText, true},          {18, 30, grey, QColor(234, 138, 41), true},
        {0, 0, buttonFace, windowText, false},     {10, 0, buttonFace, windowText, false},
        {0, 2, buttonFace, windowText, false},     {0, 25, buttonFace, windowText, false},
    };
    for (const bool marker : {false, true}) {
        if (marker)
            grid->setMarker();
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "cell " << c.column << "," << c.row << " marker " << marker);
            const CellPaint paint = grid->cellPaint({c.column, c.row});
            const bool header = c.column == 0 || c.row == 0;
            EXPECT_EQ(paint.brush, marker && header ? QColor(128, 0, 0) : c.brush);
            EXPECT_EQ(paint.fontColor, marker && header ? silver : c.text);
            EXPECT_EQ(paint.font.bold(), c.bold);
        }
    }
    grid->clearMarker();
    EXPECT_EQ(grid->cellPaint({7, 0}).brush, buttonFace);
    EXPECT_FALSE(grid->markerSet());
}

QColor pixel(QWidget* widget, QPoint point) {
    return widget->grab().toImage().pixelColor(point);
}

TEST_F(GridLayoutTest, DrawsCellsHeadersAndSelectionInTheirColours) {
    grid->fillValueCells(numberedTexts());
    const auto inside = [&](int column, int row) {
        return cellRect(column, row).bottomRight() - QPoint(3, 3);
    };
    const QColor highlight = grid->palette().color(QPalette::Highlight);

    // Before a grid ever had the focus its current cell shows the selection colours.
    StringGrid unfocused;
    unfocused.resize(400, 300);
    ASSERT_FALSE(unfocused.hasFocus());
    EXPECT_EQ(pixel(unfocused.viewport(), inside(1, 1)), highlight);
    EXPECT_EQ(pixel(unfocused.viewport(), inside(2, 1)), QColor(192, 192, 192));
    focusGrid();
    ASSERT_TRUE(grid->hasFocus());
    EXPECT_EQ(pixel(grid->viewport(), inside(1, 1)), QColor(192, 192, 192));
    EXPECT_EQ(pixel(grid->viewport(), inside(10, 2)), QColor(160, 160, 160));
    EXPECT_EQ(pixel(grid->viewport(), inside(13, 2)), QColor(192, 192, 192));
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(pixel(grid->viewport(), inside(1, 1)), highlight);
    EXPECT_EQ(pixel(grid->viewport(), inside(2, 1)), QColor(192, 192, 192)) << "new current cell";

    // Headers are flat in the marker colours, the corner included.
    QHeaderView* columns = grid->horizontalHeader();
    QHeaderView* rows = grid->verticalHeader();
    auto* corner = grid->findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    const QPoint top(columns->sectionViewportPosition(4) + 40, 1);
    const QPoint bottom(top.x(), columns->height() - 3);
    const QPoint rowPoint(rows->width() - 4, rows->sectionViewportPosition(6) + 18);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    for (const bool marker : {false, true}) {
        SCOPED_TRACE(marker ? "marker set" : "marker clear");
        if (marker)
            grid->setMarker();
        const QColor expected = marker ? QColor(128, 0, 0) : buttonFace;
        EXPECT_EQ(pixel(columns->viewport(), top), expected);
        EXPECT_EQ(pixel(columns->viewport(), bottom), expected);
        EXPECT_EQ(pixel(rows->viewport(), rowPoint), expected);
        EXPECT_EQ(pixel(corner, QPoint(corner->width() - 4, corner->height() - 4)), expected);
    }
}

// Selected cells' text reads on whatever selection colour the system gives: its darkest or
// brightest pixel stands out from the selection by at least 3:1.
TEST_F(GridLayoutTest, SelectedTextReadsOnTheSelectionColourOfEverySystem) {
    grid->fillValueCells(numberedTexts());
    focusGrid();
    grid->setCurrentCell(2, 12);
    for (int step = 0; step < 3; ++step)
        press(Qt::Key_Down, Qt::ShiftModifier);
    struct Case {
        const char* name;
        QColor selection;
    };
    const Case cases[] = {{"Fusion blue", QColor(48, 140, 198)},
                          {"light blue", QColor(204, 232, 255)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Highlight, c.selection);
        grid->setPalette(palette);
        const QImage shot = grid->viewport()->grab().toImage();
        for (int row = 12; row <= 14; ++row) { // the current cell, row 15, is not drawn selected
            const QRect cell = cellRect(2, row).adjusted(1, 1, -2, -2);
            ASSERT_EQ(shot.pixelColor(cell.bottomRight()), c.selection) << row;
            double best = 1;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    best = std::max(
                        best, dm::contrastRatio(toRgb(shot.pixelColor(x, y)), toRgb(c.selection)));
            EXPECT_GE(best, dm::kLeastSelectionContrast) << row;
        }
    }
}

// The header views paint what the model's header roles answer, and those follow the cell paint,
// the colour handler included.
TEST_F(GridLayoutTest, HeaderSectionsPaintTheirModelRoles) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "under Wine's fonts the bold caption covers the probed pixel";
#endif
    const QColor blue(0, 0, 255), green(0, 128, 0);
    grid->OnGetCellColor = [&](int ARow, int ACol, CellPaint& paint) {
        if (ARow == 0 && ACol == 5)
            paint.brush = blue;
        if (ACol == 0 && ARow == 7) {
            paint.fontColor = green;
            paint.font.setBold(true);
        }
    };
    grid->setMarker();
    const QAbstractItemModel& model = *grid->model();
    QHeaderView* columns = grid->horizontalHeader();
    QHeaderView* rows = grid->verticalHeader();
    struct Case {
        Qt::Orientation orientation;
        int section;
        QColor background, text;
        bool bold;
    };
    const QColor maroon(128, 0, 0), silver(192, 192, 192);
    const std::vector<Case> cases = {
        {Qt::Horizontal, 4, blue, silver, false},
        {Qt::Horizontal, 3, maroon, silver, false},
        {Qt::Vertical, 6, maroon, green, true},
        {Qt::Vertical, 5, maroon, silver, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.orientation == Qt::Horizontal ? "column" : "row")
                                        << " section " << c.section);
        EXPECT_EQ(model.headerData(c.section, c.orientation, Qt::BackgroundRole).value<QColor>(),
                  c.background);
        EXPECT_EQ(model.headerData(c.section, c.orientation, Qt::ForegroundRole).value<QColor>(),
                  c.text);
        EXPECT_EQ(model.headerData(c.section, c.orientation, Qt::FontRole).value<QFont>().bold(),
                  c.bold);
        QHeaderView* header = c.orientation == Qt::Horizontal ? columns : rows;
        const int start = header->sectionViewportPosition(c.section);
        const QPoint inside = c.orientation == Qt::Horizontal
                                  ? QPoint(start + header->sectionSize(c.section) - 4, 3)
                                  : QPoint(header->width() - 4, start + 3);
        EXPECT_EQ(pixel(header->viewport(), inside), c.background);
    }
    // The bold green caption is drawn in its own colour.
    const QRect captionRect(0, rows->sectionViewportPosition(6), rows->width() - 1, 21);
    const QImage image = rows->viewport()->grab(captionRect).toImage();
    bool greenText = false;
    for (int y = 0; y < image.height() && !greenText; ++y)
        for (int x = 0; x < image.width() && !greenText; ++x)
            greenText = image.pixelColor(x, y) == green;
    EXPECT_TRUE(greenText);
}

TEST_F(GridLayoutTest, ColumnsFitTheirWidestTextInItsOwnFontAndNarrowAgain) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "under Wine the grid's bold font is no wider than its regular one";
#endif
    const QFontMetrics regular(grid->gridFont());
    QFont boldFont = grid->gridFont();
    boldFont.setBold(true);
    const QFontMetrics bold(boldFont);
    const int xx = regular.horizontalAdvance("xx");

    dm::CellTexts texts = numberedTexts();
    texts[4][3] = "12345678.123456789";       // column 4, regular
    texts[7][9] = "-1234567890.12 wide wide"; // column 10, bold
    texts[2][20] = std::string(200, 'W');     // hidden column 21
    grid->fillValueCells(texts);
    grid->sizeColumns();
    ASSERT_GT(bold.horizontalAdvance("-1234567890.12 wide wide"),
              regular.horizontalAdvance("-1234567890.12 wide wide"));
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 4),
              regular.horizontalAdvance("12345678.123456789") + xx);
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 10),
              bold.horizontalAdvance("-1234567890.12 wide wide") + xx);
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 0),
              regular.horizontalAdvance("Right Upper Outer Wing") + xx);
    EXPECT_TRUE(grid->isColumnHidden(20));

    texts = numberedTexts();
    grid->fillValueCells(texts);
    grid->sizeColumns();
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 4), regular.horizontalAdvance("Damage") + xx);
    EXPECT_EQ(testsupport::gridColumnWidth(*grid, 10), bold.horizontalAdvance("2909") + xx);
    EXPECT_LT(testsupport::gridColumnWidth(*grid, 10), 60) << "narrower than before any sizing too";
    for (int row = 0; row < 30; ++row)
        EXPECT_EQ(grid->rowHeight(row), 21);
}

TEST_F(GridLayoutTest, HiddenCellsPassThroughFillAndRead) {
    dm::CellTexts texts = numberedTexts();
    texts[0][18] = "7";
    texts[29][21] = "0.123";
    grid->fillValueCells(texts);
    EXPECT_EQ(grid->valueTexts(), texts);
    EXPECT_EQ(grid->lastFilledTexts(), texts);
    EXPECT_EQ(grid->cellText(19, 1), "7");
    EXPECT_EQ(grid->cellText(22, 30), "0.123");
    grid->setCellText(21, 5, "hidden");
    EXPECT_EQ(grid->valueTexts()[4][20], "hidden");
    EXPECT_EQ(grid->lastFilledTexts()[4][20], "420");
    EXPECT_THROW(grid->cellText(23, 0), std::out_of_range);
    EXPECT_THROW(grid->setCellText(0, 31, "x"), std::out_of_range);
}

// Sets the default locale for a scope and announces the change to `grid` as the system would.
class LocaleScope {
public:
    LocaleScope(QWidget* grid, const QLocale& locale) : grid_(grid) { change(locale); }
    ~LocaleScope() { change(before_); }

private:
    void change(const QLocale& locale) {
        QLocale::setDefault(locale);
        QEvent event(QEvent::LocaleChange);
        QApplication::sendEvent(grid_, &event);
    }
    QWidget* grid_;
    QLocale before_;
};

TEST_F(GridLayoutTest, DecimalSeparatorFollowsLocaleChanges) {
    EXPECT_EQ(StringGrid::decimalSeparatorOf(QLocale::c()), ".");
    const QString atStart = grid->decimalSeparator();
    ASSERT_EQ(atStart, QLocale::system().decimalPoint());
    const bool comma = atStart == ",";
    {
        const LocaleScope changed(grid, comma ? QLocale(QLocale::English, QLocale::UnitedStates)
                                              : QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(grid->decimalSeparator(), comma ? "." : ",");
    }
    EXPECT_EQ(grid->decimalSeparator(), atStart);
}

} // namespace
