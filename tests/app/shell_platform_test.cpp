#include "core/errors.h"
#include "shell/application.h"
#include "shell/deferred_icon_style.h"
#include "shell/error_display.h"
#include "shell/file_attributes.h"
#include "shell/file_dialog.h"
#include "shell/tooltip_colours.h"
#include "shell_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using namespace shelltest;

TEST(ShellErrorBoxTest, AppendsAPeriodOnlyAfterCharactersSortingAfterIt) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"Disk full", "Disk full."},
        {"Cannot open file x.", "Cannot open file x."},
        {"I/O error 102", "I/O error 102."},
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Unable to write to /tmp/du2daminfo.INI", "Unable to write to /tmp/du2daminfo.INI."},
        {"Floating point overflow!", "Floating point overflow!"},
        {"value '-'", "value '-'"},
        {"ends in a slash/", "ends in a slash/."},
        {"ends in a comma,", "ends in a comma,"},
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(shell::errorBoxText(message), shown) << message.toStdString();
}

TEST(ShellErrorBoxTest, GuardShowsFailuresCaptionedWithTheTitleOfThatMoment) {
    testsupport::RecordingPresenter box;
    const QString title = shell::applicationTitle();
    shell::setApplicationTitle(QStringLiteral("DU2 Aircraft Damage Editor"));
    bool after = false;
    shell::guarded([&after] {
        throw dm::IoError(101, "Disk full");
        after = true;
    });
    shell::setApplicationTitle(QStringLiteral("Quellor Damage File Editor"));
    shell::guarded([] { throw 42; });
    shell::guarded([] {});
    shell::setApplicationTitle(title);

    EXPECT_FALSE(after);
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].caption, QStringLiteral("DU2 Aircraft Damage Editor"));
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Disk full."));
    EXPECT_EQ(box.shown[1].caption, QStringLiteral("Quellor Damage File Editor"));
    EXPECT_EQ(box.shown[1].text, QStringLiteral("Unexpected error."));
}

TEST(ShellPlatformTest, ExecutableFolderEndsInASeparatorAndTestsMoveIt) {
    const QString real = shell::executableFolder();
    EXPECT_TRUE(real.endsWith('/'));
    const QString testProgram = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_TRUE(QFile::exists(real + testProgram));
    shell::setExecutableFolderOverride(QStringLiteral("/tmp/elsewhere"));
    EXPECT_EQ(shell::executableFolder(), QStringLiteral("/tmp/elsewhere/"));
    shell::setExecutableFolderOverride(QString());
    EXPECT_EQ(shell::executableFolder(), real);
}

// The menu bar's extension icons are read when first drawn, and are then the style's own.
TEST(ShellPlatformTest, ExtensionButtonIconsAreTheStylesOwnWhenDrawn) {
    shell::DeferredIconStyle style;
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon deferred = style.standardIcon(which);
        const QImage expected = style.baseStyle()->standardIcon(which).pixmap(16).toImage();
        ASSERT_FALSE(expected.isNull());
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(deferred.pixmap(16).toImage(), expected);
    }
}

TEST(ShellPlatformTest, ToolTipsKeepLegibleColoursAndReplaceIllegibleOnes) {
    const QColor lightYellow(255, 255, 225);
    struct Case {
        const char* name;
        QColor base, text, inactiveText; // as the system gives them
        bool blackOnYellow;              // expected in every colour group
    };
    const Case cases[] = {
        {"a dark theme's light on dark", QColor(32, 32, 32), QColor(230, 230, 230),
         QColor(230, 230, 230), false},
        {"legible only while active", lightYellow, Qt::black, QColor(200, 200, 200), true},
        {"just below the needed contrast", Qt::white, QColor(119, 119, 119), QColor(119, 119, 119),
         true},
        {"just above it", Qt::white, QColor(117, 117, 117), QColor(117, 117, 117), false},
    };
    for (const Case& c : cases) {
        QPalette system;
        system.setColor(QPalette::ToolTipBase, c.base);
        system.setColor(QPalette::Active, QPalette::ToolTipText, c.text);
        system.setColor(QPalette::Inactive, QPalette::ToolTipText, c.inactiveText);
        system.setColor(QPalette::Disabled, QPalette::ToolTipText, c.inactiveText);
        const QPalette legible = shell::legibleToolTipPalette(system);
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            EXPECT_EQ(legible.color(group, QPalette::ToolTipBase),
                      c.blackOnYellow ? lightYellow : c.base)
                << c.name << ", group " << group;
            EXPECT_EQ(legible.color(group, QPalette::ToolTipText),
                      c.blackOnYellow ? QColor(Qt::black) : c.text)
                << c.name << ", group " << group;
        }
    }
}

// A style may give tips the colours of its own theme; a tip shown still reads dark on light.
TEST(ShellPlatformTest, AShownTipTakesLegibleColoursWhateverTheSystemGives) {
    QApplication::setStyle(new shell::DeferredIconStyle);
    // A tip left from an earlier test would be reused as it is.
    QToolTip::hideText();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QPalette before = QToolTip::palette();
    QPalette greyOnWhite = before;
    greyOnWhite.setColor(QPalette::ToolTipBase, Qt::white);
    greyOnWhite.setColor(QPalette::ToolTipText, QColor(128, 128, 128));
    QToolTip::setPalette(greyOnWhite);
    QWidget view;
    view.resize(200, 100);
    view.show();
    QToolTip::showText(view.mapToGlobal(QPoint(50, 50)), QStringLiteral("Pilot, slot 19"), &view);
    QWidget* tip = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            tip = widget;
    ASSERT_NE(tip, nullptr) << "no tip shown";
    EXPECT_EQ(tip->palette().color(QPalette::Inactive, QPalette::ToolTipText), QColor(Qt::black));
    const QImage drawn = tip->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(drawn.width() - 3, drawn.height() / 2), QColor(255, 255, 225));
    QToolTip::hideText();
    QToolTip::setPalette(before);
}

TEST(ShellPlatformTest, ReadOnlyMeansNoOwnerWritePermission) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("05damage.dat"));
    EXPECT_EQ(shell::fileAttributes(path), std::nullopt);
    EXPECT_FALSE(shell::clearFileAttributes(path));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(shell::fileAttributes(path), 0u);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_EQ(shell::fileAttributes(path), unsigned{shell::faReadOnly});
    EXPECT_TRUE(shell::clearFileAttributes(path));
    EXPECT_EQ(shell::fileAttributes(path), 0u);
    EXPECT_TRUE(QFile::permissions(path).testFlag(QFile::WriteOwner));
    EXPECT_TRUE(QFile::permissions(path).testFlag(QFile::ReadGroup)) << "other permissions stay";
}

TEST(ShellFileDialogTest, PatternsMatchWithoutRegardToLetterCase) {
    QTemporaryDir folder;
    for (const char* name : {"00damage.dat", "0FDAMAGE.DAT", "1aDamage.Dat", "0damage.dat",
                             "100damage.dat", "00damage.dat.bak", "notes.txt", "README"})
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    const auto matching = [&folder](const QString& pattern) {
        return QDir(folder.path())
            .entryList({shell::caseInsensitivePattern(pattern)}, QDir::Files | QDir::CaseSensitive,
                       QDir::Name);
    };
    EXPECT_EQ(matching("??damage.dat"),
              QStringList({"00damage.dat", "0FDAMAGE.DAT", "1aDamage.Dat"}));
    EXPECT_EQ(matching("*.dat"), QStringList({"00damage.dat", "0FDAMAGE.DAT", "0damage.dat",
                                              "100damage.dat", "1aDamage.Dat"}));
    EXPECT_EQ(matching("*.*").size(), 8) << "every file, also one without an extension";

    shell::FileDialog dialog(shell::FileDialogKind::Open);
    dialog.setFilter(QStringLiteral("Damage Files|??damage.dat|Dat Files|*.dat|All files|*"));
#ifdef Q_OS_WIN
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({"Damage Files (??damage.dat)", "Dat Files (*.dat)", "All files (*)"}));
#else
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({"Damage Files (??[dD][aA][mM][aA][gG][eE].[dD][aA][tT])",
                           "Dat Files (*.[dD][aA][tT])", "All files (*)"}));
#endif
}

class ScriptedDialogs : public shell::FileDialogRunner {
public:
    std::optional<QString> run(const shell::FileDialog& dialog, QWidget*) override {
        seenFolders << dialog.initialDir();
        seenNames << dialog.fileName();
        const std::optional<QString> answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<std::optional<QString>> answers;
    QStringList seenFolders;
    QStringList seenNames;
};

TEST(ShellFileDialogTest, KeepsTheLastConfirmedNameAndAddsTheDefaultExtension) {
    ScriptedDialogs script;
    script.answers = {QStringLiteral("/planes/05damage"), std::nullopt,
                      QStringLiteral("/planes/06damage.dat"), QString(),
                      QStringLiteral("/planes/notes.txt")};
    shell::setFileDialogRunner(&script);
    shell::FileDialog dialog(shell::FileDialogKind::Save);
    dialog.setDefaultExt(QStringLiteral("dat"));
    dialog.setInitialDir(QStringLiteral("c:\\"));

    const std::vector<std::pair<bool, QString>> expected = {{true, "/planes/05damage.dat"},
                                                            {false, "/planes/05damage.dat"},
                                                            {true, "/planes/06damage.dat"},
                                                            {false, "/planes/06damage.dat"},
                                                            {true, "/planes/notes.txt"}};
    for (const auto& [confirmed, name] : expected) {
        EXPECT_EQ(dialog.execute(), confirmed);
        EXPECT_EQ(dialog.fileName(), name);
    }
    shell::setFileDialogRunner(nullptr);
    EXPECT_EQ(script.seenNames, QStringList({"", "/planes/05damage.dat", "/planes/05damage.dat",
                                             "/planes/06damage.dat", "/planes/06damage.dat"}));
    EXPECT_EQ(script.seenFolders.count(QStringLiteral("c:\\")), 5);
}

} // namespace
