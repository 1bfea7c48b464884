#pragma once

#include "../support/test_support.h"
#include "string_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A shown, active grid with the keyboard focus, and helpers that drive it like a user.
class GridFixture : public testing::Test {
public:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        grid = new StringGrid(window.get());
        grid->setGeometry(0, 0, 900, 500);
        other = new QLineEdit(window.get());
        other->setGeometry(0, 510, 100, 20);
        window->resize(900, 540);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override {
        window.reset();
        EXPECT_TRUE(errors.shown.empty()) << errors.texts().join('\n').toStdString();
    }

    void focusGrid() {
        grid->setFocus();
        ASSERT_TRUE(grid->hasFocus());
    }

    // Keys go where the focus is, as they would for a user.
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused(), key, modifiers);
    }
    static void type(const QString& text) {
        for (const QChar character : text)
            QTest::keyClick(focused(), character.toLatin1());
    }

    QRect cellRect(int column, int row) const {
        return grid->visualRect(grid->model()->index(row - 1, column - 1));
    }
    // Clicks `fromLeft` pixels right of the cell's left border.
    void click(int column, int row, int fromLeft = 10) {
        const QRect rect = cellRect(column, row);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + fromLeft, rect.top() + 5));
    }

    // The open cell editor, or null.
    static QLineEdit* editor() { return qobject_cast<QLineEdit*>(focused()); }

    static dm::CellTexts numberedTexts() {
        dm::CellTexts texts;
        for (int slot = 0; slot < dm::kSlotCount; ++slot)
            for (int field = 0; field < dm::kFieldCount; ++field)
                texts[slot][field] = std::to_string(slot * 100 + field);
        return texts;
    }

    testsupport::RecordingPresenter errors;
    std::unique_ptr<QWidget> window;
    StringGrid* grid = nullptr;
    QLineEdit* other = nullptr;
};
