#include "shell_fixture.h"

#include "aircraft_list_window.h"
#include "axis_window.h"
#include "editor_window.h"
#include "settings/form_placement.h"
#include "shell/file_dialog.h"
#include "side_view.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace {

using namespace shelltest;

using StartUpTest = ShellTest;

class CancellingDialogs : public shell::FileDialogRunner {
public:
    std::optional<QString> run(const shell::FileDialog&, QWidget*) override { return std::nullopt; }
};

TEST_F(StartUpTest, CreatesSixWindowsAndShowsOnlyTheStartWindow) {
    program::createWindows();
    program::showMainWindow();
    const std::vector<std::pair<QWidget*, QString>> windows = {
        {Form1, QStringLiteral("RO3z Damage Editor 26Vad01")},
        {Form2, QStringLiteral("Damage Axis Image")},
        {Form3, QStringLiteral("Editing DM File: ")},
        {Form4, QStringLiteral("Aircraft Damage Files List")},
        {Form5, QStringLiteral("Hit Box Graphic")}, // the views complete their captions
        {Form6, QStringLiteral("Hit Box Graphic")},
    };
    for (const auto& [window, caption] : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isWindow());
        if (window == Form5 || window == Form6)
            EXPECT_TRUE(window->windowTitle().startsWith(caption))
                << window->windowTitle().toStdString();
        else
            EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_EQ(window->isVisible(), window == Form1) << caption.toStdString();
        EXPECT_FALSE(window->windowIcon().isNull()) << caption.toStdString();
    }
    // The compiled-in icons are the shipped pictures, pixel for pixel: the application's (and the
    // start window's) at 48 pixels, the other windows' at 48 and 256.
    const auto premultiplied = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const auto shipped = [&](int side) {
        return premultiplied(QImage(
            QStringLiteral(DM_SAMPLES_DIR "/../packaging/icons/du2damage-%1.png").arg(side)));
    };
    EXPECT_EQ(QApplication::windowIcon().availableSizes(), QList<QSize>{QSize(48, 48)});
    EXPECT_EQ(premultiplied(QApplication::windowIcon().pixmap(48, 48).toImage()), shipped(48));
    for (const int side : {48, 256})
        EXPECT_EQ(premultiplied(Form3->windowIcon().pixmap(side, side).toImage()), shipped(side))
            << side;
    EXPECT_EQ(shell::applicationTitle(), QStringLiteral("Quellor Damage File Editor"));
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();

    // The editor and the two views carry placement keepers linked to the start window's store.
    const std::vector<std::tuple<QWidget*, QString, QString>> keepers = {
        {Form3, "Common", "Form3"}, {Form5, "HBTV", "Form5"}, {Form6, "HBSV", "Form6"}};
    for (const auto& [window, section, key] : keepers) {
        const auto found = window->findChildren<TLMDForm*>();
        ASSERT_EQ(found.size(), 1) << key.toStdString();
        EXPECT_EQ(found[0]->Section, section);
        EXPECT_EQ(found[0]->IniKey, key);
    }
    EXPECT_TRUE(Form3->findChild<TLMDForm*>()->IniSaveOptions.testFlag(soState));
    EXPECT_FALSE(Form5->findChild<TLMDForm*>()->IniSaveOptions.testFlag(soState));
}

// Notes, for every window of the program, the application title when the window first sets its
// caption, which each does as it is being built.
class CreationRecorder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QString name = QString::fromLatin1(watched->metaObject()->className());
        if (event->type() == QEvent::WindowTitleChange && name.startsWith(QLatin1String("TForm")) &&
            !windows.contains(name)) {
            windows << name;
            titles << shell::applicationTitle();
        }
        return false;
    }
    QStringList windows;
    QStringList titles;
};

TEST_F(StartUpTest, WindowsAreBuiltInOrderAndTheTitleChangesWithTheEditor) {
    shell::setApplicationTitle(QStringLiteral("left over"));
    CreationRecorder recorder;
    qApp->installEventFilter(&recorder);
    program::createWindows();
    qApp->removeEventFilter(&recorder);
    EXPECT_EQ(recorder.windows,
              QStringList({"TForm1", "TForm2", "TForm3", "TForm4", "TForm5", "TForm6"}));
    const QString first = QStringLiteral("DU2 Aircraft Damage Editor");
    const QString second = QStringLiteral("Quellor Damage File Editor");
    // The editor sets its design caption before its settings component changes the title.
    EXPECT_EQ(recorder.titles, QStringList({first, first, first, second, second, second}));
}

TEST_F(StartUpTest, StartWindowHoldsTheWarningAndFocusesItsButton) {
    program::createWindows();
    program::showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));

    const QStringList lines = Form1->Memo1->toPlainText().split('\n');
    const QStringList expected = {
        "Use this editor at your own risk.",
        "Make a backup of all of your damage.dat files before ",
        "using this tool.",
        "Enter data carefully, there is limited range checking ",
        "and bad data (I.E. byte entries >255) will cause the program ",
        "to crash.",
        "Remember to SAVE when you are done with all of your ",
        "changes to a file.",
        "Good luck!",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(Form1->Memo1->isReadOnly());
    EXPECT_EQ(Form1->Button5->text(), QStringLiteral("Click to Open Damage Editor"));
    EXPECT_EQ(QApplication::focusWidget(), Form1->Button5);

    // Every line of the warning shows whole on one line of its box, in the font the system gives;
    // the box is never smaller than its design, 297 x 129 at (16, 0), with the window's margins
    // and the button, centred, below it.
    const QPlainTextEdit* memo = Form1->Memo1;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    const QRect box = memo->geometry();
    EXPECT_EQ(box.topLeft(), QPoint(16, 0));
    EXPECT_GE(box.width(), 297);
    EXPECT_GE(box.height(), 129);
    EXPECT_EQ(Form1->size(), QSize(box.width() + 33, box.height() + 45));
    EXPECT_EQ(Form1->Button5->geometry(),
              QRect((Form1->width() - 233) / 2, box.bottom() + 8, 233, 25));
    EXPECT_FALSE(Form1->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(Form1->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(Form1->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE((Form1->geometry().center() - screen.center()).manhattanLength(), 2);

    // Typing into the warning changes only the box.
    QTest::keyClicks(Form1->Memo1, "x");
    EXPECT_TRUE(errors_.shown.empty());
}

TEST_F(StartUpTest, OpenDialogStartsInTheRememberedFolder) {
    struct Case {
        const char* fileText;
        QString initialDir;
    };
    const Case cases[] = {
        {nullptr, QStringLiteral("c:\\")},
        {"[Other]\ninitdirect=/elsewhere/\n", QStringLiteral("c:\\")},
        {"[FILE SETTINGS]\nInitDirect=\n", QString()},
        {"[file settings]\ninitdirect=/home/pilot/planes/\n",
         QStringLiteral("/home/pilot/planes/")},
    };
    for (const Case& c : cases) {
        QFile::remove(iniPath());
        if (c.fileText) {
            QFile file(iniPath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.fileText);
        }
        program::createWindows();
        EXPECT_EQ(Form1->du2open.initialDir(), c.initialDir)
            << (c.fileText ? c.fileText : "no file");
        EXPECT_EQ(Form1->du2open.filter(),
                  QStringLiteral("Damage Files|??damage.dat|Dat Files|*.dat|All files|*"));
        EXPECT_EQ(Form1->du2open.filterIndex(), 1);
        EXPECT_EQ(Form1->du2open.defaultExt(), QStringLiteral("dat"));
        EXPECT_TRUE(Form1->du2open.title().isEmpty());
        program::destroyWindows();
    }
}

TEST_F(StartUpTest, EditorMenuBarHoldsTheCommandsAndTheRecentMenu) {
    program::createWindows();
    const QList<QAction*> items = Form3->MainMenu1->actions();
    const std::vector<std::tuple<QAction*, QString, bool, QString>> expected = {
        {Form3->Open1, "Open", true, "Ctrl+O"},
        {Form3->Save1, "Save", false, "Ctrl+S"},
        {Form3->SaveAs1, "Save As", false, "Ctrl+Shift+S"},
        {Form3->Recent1->menuAction(), "Recent", true, ""},
        {Form3->hitbox, "Hit Box Image", true, ""},
        {Form3->AircraftList1, "Aircraft List", true, ""},
        {Form3->DamageAxis1, "Damage Axis", true, ""},
        {Form3->About1, "About", true, ""},
    };
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [item, caption, enabled, shortcut] = expected[i];
        EXPECT_EQ(items[static_cast<qsizetype>(i)], item) << i;
        EXPECT_EQ(item->text(), caption);
        EXPECT_EQ(item->isEnabled(), enabled) << caption.toStdString();
        EXPECT_EQ(item->shortcut(), QKeySequence(shortcut)) << caption.toStdString();
        EXPECT_EQ(item->menu() != nullptr, item == Form3->Recent1->menuAction())
            << caption.toStdString();
    }
    EXPECT_EQ(Form3->menuBar(), Form3->MainMenu1);
}

TEST_F(StartUpTest, StartButtonLeadsToTheEditorAndBothViews) {
    program::createWindows();
    program::showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    // Hidden windows' heavy contents wait for their showing.
    EXPECT_FALSE(Form3->StringGrid1.built());
    EXPECT_FALSE(Form4->LMDMemo1.built());
    QTest::mouseClick(Form1->Button5, Qt::LeftButton);

    EXPECT_FALSE(Form1->isVisible());
    ASSERT_TRUE(Form3->StringGrid1.built());
    EXPECT_TRUE(Form3->StringGrid1->isVisible());
    // Built by the showing, it holds the captions read at start-up, sized.
    EXPECT_EQ(Form3->StringGrid1->cellText(1, 0), QStringLiteral("Off/On"));
    EXPECT_NE(Form3->StringGrid1->columnWidth(0), StringGrid::kInitialColumnWidth);
    EXPECT_TRUE(Form5->isVisible());
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(Form3)) << "the editor, shown last, is in front";
    EXPECT_EQ(Form3->windowTitle(), QStringLiteral("Editing DM File: "));
    EXPECT_FALSE(Form3->Save1->isEnabled());
    EXPECT_FALSE(Form3->SaveAs1->isEnabled());
    EXPECT_FALSE(shell::terminateRequested());
}

TEST_F(StartUpTest, MenuCommandsShowTheirWindows) {
    program::createWindows();
    Form1->Button5Click();

    Form6->close();
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_TRUE(Form5->isVisible());
    Form3->hitbox->trigger();
    EXPECT_TRUE(Form5->isVisible());
    EXPECT_TRUE(Form6->isVisible());

    Form3->AircraftList1->trigger();
    EXPECT_TRUE(Form4->isVisible());
    Form3->DamageAxis1->trigger();
    EXPECT_TRUE(Form2->isVisible());
    // Shown again while visible: brought to the front and still shown once.
    Form3->DamageAxis1->trigger();
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_FALSE(shell::terminateRequested());
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(StartUpTest, AboutRunsTheAboutBoxModally) {
    program::createWindows();
    Form1->Button5Click();
    QString shownCaption;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shownCaption] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shownCaption = box->windowTitle();
            box->close();
        }
    });
    closer.start(50);
    Form3->About1->trigger();
    closer.stop();
    EXPECT_EQ(shownCaption, QStringLiteral("About the Damage Editor"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(StartUpTest, ShortcutsReachTheMenuItems) {
    CancellingDialogs cancel;
    shell::setFileDialogRunner(&cancel);
    program::createWindows();
    Form1->Button5Click();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    int opened = 0;
    QObject::connect(Form3->Open1, &QAction::triggered, [&opened] { ++opened; });
    int saved = 0;
    QObject::connect(Form3->Save1, &QAction::triggered, [&saved] { ++saved; });
    QTest::keyClick(Form3, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved, 0) << "a disabled item ignores its shortcut";
    QTest::keyClick(Form3, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened, 1);
    Form3->Save1->setEnabled(true);
    QTest::keyClick(Form3, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saved, 1);
    shell::setFileDialogRunner(nullptr);
}

} // namespace
