#include "../support/test_support.h"
#include "about_box.h"
#include "aircraft_list_window.h"
#include "axis_picture.h"
#include "axis_window.h"
#include "hint_pause.h"
#include "shell/error_display.h"
#include "shell/system_information.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMouseEvent>
#include <functional>
#include <optional>

namespace {

using testsupport::RecordingPresenter;

QString asShown(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// ---- aircraft list ----

struct ListCase {
    const char* name;
    std::optional<QByteArray> fileBytes; // nothing: no file; "<folder>": a folder in its place
    QString shown;
    bool errorShown;
};

TEST(AircraftList, LoadsTheListFileOrKeepsTheBuiltInList) {
    const QString builtIn = asShown(builtInAircraftList());
    const ListCase cases[] = {
        {"missing file", std::nullopt, builtIn, true},
        {"folder in its place", QByteArray("<folder>"), builtIn, true},
        {"single word", QByteArray("Fokker"), QStringLiteral("Fokker"), false},
        {"empty file", QByteArray(""), QString(), false},
        {"single-byte text", QByteArray("Spad \x93VII\x94 caf\xe9\r\nX"),
         QStringLiteral("Spad \u201CVII\u201D caf\u00E9\nX"), false},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("DM File List.txt"));
        if (c.fileBytes == QByteArray("<folder>")) {
            ASSERT_TRUE(QDir().mkdir(path));
        } else if (c.fileBytes) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.fileBytes);
        }
        RecordingPresenter errors;
        TForm4 list(folder.path() + '/');
        EXPECT_EQ(list.LMDMemo1->toPlainText(), c.shown);
        const QStringList expectedErrors = c.errorShown
                                               ? QStringList{QStringLiteral("Cannot open file ") +
                                                             QDir::toNativeSeparators(path) + '.'}
                                               : QStringList{};
        EXPECT_EQ(errors.texts(), expectedErrors);
    }
}

TEST(AircraftList, BuiltInListAndShippedFileHoldTheFortyLines) {
    const QString text = builtInAircraftList();
    ASSERT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 40);
    EXPECT_FALSE(text.chopped(2).contains(QRegularExpression(QStringLiteral("[^\r]\n|\r[^\n]"))));
    EXPECT_EQ(lines[0], QStringLiteral("AIRCRAFT = DAMAGE FILE"));
    EXPECT_EQ(lines[17], QStringLiteral("Morane Saulnire \"N\" = 13damage.dat"));
    EXPECT_EQ(lines[37], QStringLiteral("Sopwith Snipe = 28 damage.dat"));
    EXPECT_EQ(lines[38], QStringLiteral("Bristol Fighter = 2adamage.dat"));
    EXPECT_EQ(lines[39], QStringLiteral(" "));

    QFile shipped(QStringLiteral(DM_BIN_DIR "/DM File List.txt"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    EXPECT_EQ(shipped.readAll(), text.toLatin1());

    RecordingPresenter errors;
    TForm4 list(QStringLiteral(DM_BIN_DIR "/"));
    EXPECT_TRUE(errors.shown.empty());
    EXPECT_EQ(list.LMDMemo1->toPlainText(), asShown(text));
}

TEST(AircraftList, WindowIsSizeableAndTypingChangesNothing) {
    RecordingPresenter errors;
    TForm4 list(QStringLiteral(DM_BIN_DIR "/"));
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Aircraft Damage Files List"));
    EXPECT_NE(list.minimumSize(), list.maximumSize());
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.LMDMemo1->geometry(), list.rect());
    EXPECT_EQ(list.LMDMemo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    const QString before = list.LMDMemo1->toPlainText();
    list.LMDMemo1->setFocus();
    QTest::keyClicks(list.LMDMemo1, QStringLiteral("typed"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
        QTest::sendKeyEvent(QTest::Click, list.LMDMemo1, key, QString(), Qt::NoModifier);
    for (const auto edit : {QKeySequence::SelectAll, QKeySequence::Cut, QKeySequence::Paste})
        QTest::keySequence(list.LMDMemo1, edit);
    EXPECT_EQ(list.LMDMemo1->toPlainText(), before);
}

// ---- damage axis window ----

TEST(AxisWindow, FrameHintsAndPicture) {
    TForm2 axis;
    EXPECT_EQ(axis.windowTitle(), QStringLiteral("Damage Axis Image"));
    EXPECT_EQ(axis.size(), QSize(265, 366));
    EXPECT_EQ(axis.minimumSize(), axis.maximumSize());
    const Qt::WindowFlags flags = axis.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(axis.pos(), QPoint(386, 247));
    EXPECT_EQ(axis.toolTip(), QStringLiteral("Click to Close"));
    EXPECT_EQ(axis.Image1->toolTip(), QStringLiteral("Click to Close"));
    EXPECT_EQ(axis.Image1->geometry(), QRect(8, 8, 250, 350));
    // Drawn on the first show, not at start-up.
    EXPECT_TRUE(axis.Image1->pixmap().isNull());
    axis.show();
    EXPECT_EQ(axis.Image1->pixmap().size(), QSize(250, 350));
}

TEST(AxisWindow, LeftClickOnPictureOrClientAreaHidesAndShowKeepsThePlace) {
    struct ClickCase {
        const char* name;
        bool onPicture;
        QPoint at;
        Qt::MouseButton button;
        bool hides;
    };
    const ClickCase cases[] = {
        {"left on picture", true, QPoint(125, 175), Qt::LeftButton, true},
        {"left on picture corner", true, QPoint(249, 349), Qt::LeftButton, true},
        {"left on margin", false, QPoint(3, 3), Qt::LeftButton, true},
        {"left on bottom margin", false, QPoint(200, 362), Qt::LeftButton, true},
        {"right on picture", true, QPoint(125, 175), Qt::RightButton, false},
        {"middle on margin", false, QPoint(3, 3), Qt::MiddleButton, false},
    };
    TForm2 axis;
    axis.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&axis));
    axis.move(300, 200);
    const QPoint place = axis.pos();
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.name);
        axis.show();
        QTest::mouseClick(c.onPicture ? static_cast<QWidget*>(axis.Image1) : &axis, c.button, {},
                          c.at);
        EXPECT_EQ(axis.isHidden(), c.hides);
        axis.show();
        EXPECT_EQ(axis.pos(), place);
    }
}

TEST(AxisPicture, IsA256ColourPageWithTheRedOrigin) {
    const QImage picture = drawAxisPicture();
    EXPECT_EQ(picture.size(), QSize(kAxisPictureWidth, kAxisPictureHeight));
    EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_LE(picture.colorCount(), 256);
    EXPECT_EQ(picture, drawAxisPicture());

    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor colour = picture.pixelColor(x, y);
            red += colour.red() > 170 && colour.green() < 70 && colour.blue() < 70;
        }
    EXPECT_GT(red, 20);
    const QColor paper = picture.pixelColor(200, 120);
    EXPECT_EQ(paper.red(), paper.green());
}

TEST(AxisPicture, DominantColoursAreTheMostFrequentFirst) {
    QImage image(10, 1, QImage::Format_RGB32);
    const QRgb a = qRgb(1, 2, 3), b = qRgb(200, 0, 0), c = qRgb(0, 0, 9);
    for (int x = 0; x < 10; ++x)
        image.setPixel(x, 0, x < 6 ? a : x < 9 ? b : c);
    EXPECT_EQ(dominantColours(image), (QList<QRgb>{a, b, c}));
    EXPECT_EQ(dominantColours(image, 2), (QList<QRgb>{a, b}));
}

// ---- about box ----

// Runs Execute while `interact` works the dialog once it is modal and active (or after about two
// seconds of waiting for activation); returns whether it got to.
bool executeWith(TLMDAboutDlg& about, const std::function<void(QDialog*)>& interact) {
    bool interacted = false;
    int polls = 0;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && (dialog->isActiveWindow() || ++polls > 400)) {
            poll.stop();
            interacted = true;
            interact(dialog);
        }
    });
    poll.start();
    about.Execute();
    return interacted;
}

TEST(AboutBox, ShowsTheTextsAndLayout) {
    TLMDAboutDlg about;
    const auto dialog = about.build();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About the Damage Editor"));
    const auto* name = dialog->findChild<QLabel*>(QStringLiteral("nameLabel"));
    const auto* version = dialog->findChild<QLabel*>(QStringLiteral("versionLabel"));
    const auto* description = dialog->findChild<QLabel*>(QStringLiteral("descriptionLabel"));
    const auto* picture = dialog->findChild<QLabel*>(QStringLiteral("pictureBlock"));
    const auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_TRUE(name && version && description && picture && ok);

    EXPECT_EQ(name->text(), QStringLiteral("DU2/3D Damage File Editor"));
    EXPECT_EQ(name->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(name->font().pointSize(), 20);
    EXPECT_TRUE(name->font().bold());
    EXPECT_EQ(version->text(), QStringLiteral("Version 26Vad01"));
    EXPECT_TRUE(version->font().bold());
    EXPECT_EQ(description->text(), QStringLiteral("This editing progam allows you to change the "
                                                  "values in the aircraft damage files."));
    EXPECT_FALSE(description->font().bold());
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->toolTip(), QStringLiteral("Long Live Quellor!!"));

    // No frame from the window system: the gradient band inside the dialog's own frame is the
    // title bar, and the client area starts right below it.
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
    const auto* band = dialog->findChild<QWidget*>(QStringLiteral("titleBand"));
    const auto* client = dialog->findChild<QWidget*>(QStringLiteral("clientArea"));
    ASSERT_TRUE(band && client);
    EXPECT_EQ(dialog->width(), 440 * dialog->logicalDpiX() / 96);
    EXPECT_EQ(band->geometry(), QRect(3, 3, dialog->width() - 6, 22));
    EXPECT_EQ(client->geometry(),
              QRect(3, band->geometry().bottom() + 1, dialog->width() - 6, client->height()));
    EXPECT_EQ(dialog->height(), client->geometry().bottom() + 1 + 3);
    for (const QWidget* item : {static_cast<const QWidget*>(name), static_cast<const QWidget*>(ok),
                                static_cast<const QWidget*>(picture)})
        EXPECT_EQ(item->parentWidget(), client) << item->objectName().toStdString();
    EXPECT_EQ(picture->geometry(), QRect(15, 7, 105, 105));
    EXPECT_EQ(name->pos(), QPoint(128, 24));
    EXPECT_GE(version->y(), 112);
    EXPECT_EQ(ok->geometry().right(), client->width() - 1 - 6);
    EXPECT_EQ(client->height(), ok->geometry().bottom() + 1 + 6);
    EXPECT_TRUE(dialog->findChild<QLabel*>(QStringLiteral("memoryValue"))->text().endsWith(" KB"));
#ifdef Q_OS_WIN
    const QString systemName = QStringLiteral("Windows, ");
#else
    const QString systemName = QStringLiteral("Linux, ");
#endif
    EXPECT_TRUE(
        dialog->findChild<QLabel*>(QStringLiteral("platformValue"))->text().startsWith(systemName));
}

TEST(AboutBox, EnterEscapeAndOkCloseItAndTheDialogIsGone) {
    const std::function<void(QDialog*)> closers[] = {
        [](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); },
        [](QDialog* d) { QTest::keyClick(d, Qt::Key_Enter); },
        [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](QDialog* d) {
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
        },
        [](QDialog* d) { QTest::keyClick(d, Qt::Key_F4, Qt::AltModifier); },
        [](QDialog* d) {
            QTest::mouseClick(d->findChild<QAbstractButton*>(QStringLiteral("closeButton")),
                              Qt::LeftButton);
        },
    };
    QWidget owner;
    TLMDAboutDlg about(&owner);
    for (std::size_t i = 0; i < std::size(closers); ++i) {
        SCOPED_TRACE(i);
        QString focused;
        EXPECT_TRUE(executeWith(about, [&](QDialog* dialog) {
            focused =
                QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            closers[i](dialog);
        }));
        EXPECT_EQ(focused, QStringLiteral("okButton"));
        EXPECT_TRUE(owner.findChildren<QDialog*>().isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(AboutBox, DraggingTheTitleBandMovesTheWindow) {
    TLMDAboutDlg about;
    const auto dialog = about.build();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* band = dialog->findChild<QWidget*>(QStringLiteral("titleBand"));
    const QPoint start = dialog->pos();
    const QPoint grab(40, 10);
    const auto send = [&](QEvent::Type type, QPoint offset, Qt::MouseButtons buttons) {
        const QPointF global = band->mapToGlobal(grab) + offset;
        QMouseEvent event(type, QPointF(grab) + offset, global, Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(band, &event);
    };
    send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(30, 20), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(30, 20), Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start + QPoint(30, 20));
    send(QEvent::MouseMove, QPoint(60, 60), Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start + QPoint(30, 20)) << "released: the window stays";
}

TEST(AboutBox, OkButtonShowsTheHint) {
    TLMDAboutDlg about;
    const auto dialog = about.build();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("okButton"));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), ok->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(ok, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Long Live Quellor!!"));
    QToolTip::hideText();
}

TEST(AboutBox, CentredOnTheScreenWhereverTheEditorIs) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const QPoint editorAt : {QPoint(0, 0), QPoint(700, 500), QPoint(-400, 30),
                                  QPoint(screen.right() - 20, screen.bottom() - 20)}) {
        SCOPED_TRACE(editorAt.x());
        QWidget editor;
        editor.setGeometry(QRect(editorAt, QSize(797, 327)));
        editor.show();
        TLMDAboutDlg about(&editor);
        QRect placed;
        executeWith(about, [&](QDialog* dialog) {
            placed = dialog->frameGeometry();
            dialog->reject();
        });
        EXPECT_LE(std::abs(placed.center().x() - screen.center().x()), 1);
        EXPECT_LE(std::abs(placed.center().y() - screen.center().y()), 1);
        EXPECT_TRUE(screen.contains(placed));
    }
}

TEST(AboutBox, SystemInformationLines) {
    struct MemoryCase {
        QString meminfo;
        QString shown;
    };
    const MemoryCase memory[] = {
        {"MemTotal:  8000000 kB\nMemFree:  100 kB\nMemAvailable:    1234567 kB\n", "1,234,567 KB"},
        {"MemTotal:  8000000 kB\nMemFree:  512 kB\n", "512 KB"},
        {"MemAvailable: 0 kB\n", "0 KB"},
        {"", "unknown"},
        {"MemAvailable: lots\n", "unknown"},
    };
    for (const MemoryCase& c : memory)
        EXPECT_EQ(shell::availableMemoryText(c.meminfo), c.shown) << c.meminfo.toStdString();

    const QString cpuinfo = QStringLiteral("processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                           "model name\t: Intel(R)  Core(TM) i5 CPU\n");
    EXPECT_EQ(shell::platformCpuText(4, cpuinfo),
              QStringLiteral("Linux, 4 x Intel(R) Core(TM) i5 CPU"));
    EXPECT_EQ(shell::platformCpuText(0, cpuinfo),
              QStringLiteral("Linux, 1 x Intel(R) Core(TM) i5 CPU"));
    EXPECT_EQ(shell::platformCpuText(2, QString()),
              QStringLiteral("Linux, 2 x ") + QSysInfo::currentCpuArchitecture());
}

TEST(AboutBox, PictureBlockFromTheIcon) {
    const QPixmap picture = aboutPicture(QIcon());
    ASSERT_EQ(picture.size(), QSize(72, 72));
    const QImage image = picture.toImage();
    const QRgb grey = qRgb(128, 128, 128), black = qRgb(0, 0, 0);
    const QRgb face = QApplication::palette().color(QPalette::Button).rgb();
    struct Pixel {
        int x, y;
        QRgb colour;
    };
    const Pixel pixels[] = {
        {0, 0, black}, {66, 30, black}, {30, 66, black}, {69, 3, face},  {3, 69, face},
        {69, 6, grey}, {71, 71, grey},  {6, 69, grey},   {67, 30, grey}, {65, 65, face},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, p.colour & 0xFFFFFF) << p.x << "," << p.y;
}

TEST(AboutBox, ExplodeOutlinesGrowFromThePointerToTheDialog) {
    const QRect target(400, 300, 440, 280);
    for (const QPoint pointer : {QPoint(0, 0), QPoint(1200, 900), QPoint(500, 400)}) {
        EXPECT_EQ(explodeOutline(pointer, target, 40), target);
        const QRect first = explodeOutline(pointer, target, 1);
        EXPECT_EQ(first.size(), QSize(11, 7));
        EXPECT_LE((first.topLeft() - pointer).manhattanLength(),
                  (target.topLeft() - pointer).manhattanLength() / 40 + 2);
        for (int step = 2; step <= 40; ++step) {
            const QRect previous = explodeOutline(pointer, target, step - 1);
            const QRect current = explodeOutline(pointer, target, step);
            EXPECT_GT(current.width(), previous.width());
            EXPECT_GE(current.height(), previous.height());
        }
    }
}

TEST(ShortHintPause, NextHintShowsAtOnce) {
    installShortHintPause();
    QWidget window;
    QPushButton first(QStringLiteral("1"), &window);
    QPushButton second(QStringLiteral("2"), &window);
    QLabel plain(QStringLiteral("3"), &second);
    first.setToolTip(QStringLiteral("first hint"));
    second.setToolTip(QStringLiteral("second hint"));
    second.move(100, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QToolTip::showText(first.mapToGlobal(QPoint(2, 2)), first.toolTip(), &first);
    ASSERT_TRUE(QToolTip::isVisible());
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), plain.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&plain, &enter);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("second hint"));
    QToolTip::hideText();
}

} // namespace
