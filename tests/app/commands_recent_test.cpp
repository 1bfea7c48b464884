// The Recent menu: what puts a file first, what the settings file keeps, and choosing an entry.
#include "commands_fixture.h"
#include "drop_helpers.h"

#include "paint_box.h"
#include "top_view.h"

#include <QMenu>

namespace {

using namespace commandtest;
using shell::SaveChangesAnswer;

class RecentMenuTest : public CommandTest {
protected:
    // The menu as it shows when opened.
    static QStringList entries() {
        emit Form3->Recent1->aboutToShow();
        QStringList texts;
        for (const QAction* entry : Form3->Recent1->actions())
            texts << entry->text();
        return texts;
    }
    static void choose(int index) {
        emit Form3->Recent1->aboutToShow();
        Form3->Recent1->actions().at(index)->trigger();
        QCoreApplication::processEvents();
    }
    static QString entry(int number, const QString& path) {
        return QStringLiteral("&%1 %2").arg(number).arg(QDir::toNativeSeparators(path));
    }
};

TEST_F(RecentMenuTest, EveryWayOfOpeningAndSaveAsPutTheFileFirst) {
    EXPECT_EQ(entries(), QStringList{QStringLiteral("No recent files")});
    EXPECT_FALSE(Form3->Recent1->actions().constFirst()->isEnabled());

    const QString a = copySample("00damage.dat");
    const QString b = copySample("0fdamage.dat");
    const QString c = copySample("27damage.dat");
    const QString d = filePath(QStringLiteral("27copy.dat"));
    QDir().mkpath(filePath(QStringLiteral("line\nbreak")));
    const QString broken = filePath(QStringLiteral("line\nbreak/00damage.dat"));
    QFile::copy(a, broken);
    struct Step {
        const char* name;
        std::function<void()> act;
        QStringList expected;
    };
    const Step steps[] = {
        {"dialog", [&] { open(a); }, {a}},
        {"drop", [&] { EXPECT_TRUE(dragAndDrop(Form5->pb1, {b})); }, {b, a}},
        {"command line", [&] { program::openAtStart(c); }, {c, b, a}},
        {"Recent", [&] { choose(2); }, {a, c, b}},
        {"Save As", [&] { saveAs(d); }, {d, a, c, b}},
        {"a name with a line break is not kept", [&] { open(broken); }, {d, a, c, b}},
        {"opened again", [&] { open(c); }, {c, d, a, b}},
        {"Recent cancelled at the question about unsaved changes",
         [&] {
             typeInto(2, 7, QStringLiteral("123"));
             questions_.saveAnswers.push_back(SaveChangesAnswer::Cancel);
             choose(3);
             EXPECT_EQ(questions_.asked.size(), 1);
         },
         {c, d, a, b}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        QStringList expected;
        for (int i = 0; i < step.expected.size(); ++i)
            expected << entry(i + 1, step.expected[i]);
        EXPECT_EQ(entries(), expected);
    }
    EXPECT_EQ(stored("Recent Files", "File1"), localPath(c));
    EXPECT_EQ(stored("Recent Files", "File4"), localPath(b));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

} // namespace
