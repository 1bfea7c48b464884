// A file changed or deleted by another program while the editor was in the background.
#include "commands_fixture.h"

#include "aircraft_list_window.h"
#include "top_view.h"

namespace {

using namespace commandtest;

const QString kQuestion =
    QStringLiteral("The file has been changed by another program. Reload it?");
const QString kLost = QStringLiteral("\n\nYour changes that have not been saved will be lost.");

class ReloadTest : public CommandTest {
protected:
    // Another window comes to the front, then the editor again.
    static void reactivate() {
        Form4->show();
        Form4->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form4));
        Form3->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
        QCoreApplication::processEvents();
    }
    // The file with one byte of a record changed, as another program would write it.
    void changeOnDisk(const QString& path, int slot, std::uint8_t byte3) {
        QByteArray bytes = bytesOf(path);
        bytes[int(dm::recordOffset(slot)) + 2] = char(byte3);
        writeBytes(path, bytes);
    }
};

TEST_F(ReloadTest, AChangedFileIsOfferedAgainAsAfterOpen) {
    struct Case {
        const char* name;
        const char* typed; // nullptr: nothing typed
        bool yes;
    };
    const Case cases[] = {
        {"no edits, reloaded", nullptr, true},
        {"edits, reloaded", "55", true},
        {"edits, kept", "55", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = copySample("0fdamage.dat");
        open(path);
        if (c.typed)
            typeInto(3, 4, QLatin1String(c.typed));
        const auto typedTexts = grid_->valueTexts()[3];
        changeOnDisk(path, 3, 99);
        questions_.asked.clear();
        questions_.yesNoAnswers.push_back(c.yes);
        ASSERT_NO_FATAL_FAILURE(reactivate());

        EXPECT_EQ(questions_.asked, QStringList{c.typed ? kQuestion + kLost : kQuestion});
        if (c.yes) {
            EXPECT_EQ(grid_->valueTexts(), filledTexts(tableOf(path)));
            EXPECT_FALSE(grid_->markerSet());
            EXPECT_EQ(grid_->history().count(), 0) << "the undo history starts afresh";
            EXPECT_EQ(Form5->source().table()[3].Byte3, 99);
        } else {
            EXPECT_EQ(grid_->valueTexts()[3], typedTexts);
            EXPECT_TRUE(grid_->markerSet());
            // Not asked again for the same bytes; Save still asks its own question.
            questions_.asked.clear();
            ASSERT_NO_FATAL_FAILURE(reactivate());
            EXPECT_TRUE(questions_.asked.isEmpty());
            questions_.yesNoAnswers.push_back(false);
            save();
            EXPECT_EQ(questions_.asked.size(), 1);
            EXPECT_EQ(tableOf(path)[3].Byte3, 99) << "No at Save writes nothing";
            // A further change is asked about again.
            changeOnDisk(path, 3, 98);
            questions_.yesNoAnswers.push_back(false);
            ASSERT_NO_FATAL_FAILURE(reactivate());
            EXPECT_EQ(questions_.asked.size(), 2);
        }
        grid_->fillValueCells(grid_->lastFilledTexts()); // nothing unsaved for the next case
        grid_->clearMarker();
    }
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

// Unchanged, nothing is asked; a file saved by the editor itself is no outside change; a file
// deleted outside is said once per deletion and the grid keeps its values.
TEST_F(ReloadTest, OwnSavesAskNothingAndADeletedFileIsSaidOnce) {
    const QString path = copySample("27damage.dat");
    open(path);
    ASSERT_NO_FATAL_FAILURE(reactivate());
    typeInto(3, 2, QStringLiteral("42"));
    save();
    ASSERT_NO_FATAL_FAILURE(reactivate());
    EXPECT_TRUE(questions_.asked.isEmpty());
    const QByteArray saved = bytesOf(path);

    typeInto(3, 2, QStringLiteral("43"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_NO_FATAL_FAILURE(reactivate());
    ASSERT_NO_FATAL_FAILURE(reactivate());
    const QString deleted = QDir::toNativeSeparators(path) +
                            QStringLiteral(" has been deleted by another program. The grid keeps "
                                           "its values; Save writes them to it again.");
    EXPECT_EQ(errors_.texts(), QStringList{deleted});
    EXPECT_EQ(grid_->cellText(3, 2), QStringLiteral("43"));
    EXPECT_TRUE(questions_.asked.isEmpty());

    // Put back as it was saved, then deleted once more: a new deletion, said again.
    writeBytes(path, saved);
    ASSERT_NO_FATAL_FAILURE(reactivate());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_NO_FATAL_FAILURE(reactivate());
    EXPECT_EQ(errors_.texts(), (QStringList{deleted, deleted}));
    EXPECT_TRUE(questions_.asked.isEmpty());

    // Back again with other bytes: a change like any other.
    writeBytes(path, QByteArray(dm::kRecordsEnd, '\0'));
    questions_.yesNoAnswers.push_back(true);
    ASSERT_NO_FATAL_FAILURE(reactivate());
    EXPECT_EQ(questions_.asked, QStringList{kQuestion + kLost});
    EXPECT_EQ(grid_->cellText(3, 2), QStringLiteral("0"));
}

} // namespace
