// Plan pictures under the flat views: where their pixels land, gestures, settings, bad input.

#include "../support/file_writes.h"
#include "../support/png_header.h"
#include "../support/test_support.h"
#include "../support/waiting_fifo.h"
#include "background_picture_dialog.h"
#include "core/damage_file.h"
#include "paint_box.h"
#include "program.h"
#include "render_module.h"
#include "settings/ini_ctrl.h"
#include "side_view.h"
#include "top_view.h"
#include "view_backgrounds.h"
#include "view_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Background Pictures");

// 100 x 50 pixels: the left half red, the right half blue, a green square of 10 in the top left.
QImage plan() {
    QImage image(100, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 50, 50, Qt::red);
    painter.fillRect(50, 0, 50, 50, Qt::blue);
    painter.fillRect(0, 0, 10, 10, Qt::green);
    return image;
}

char dominant(QColor colour) {
    if (colour.red() > 200 && colour.green() < 60 && colour.blue() < 60)
        return 'r';
    if (colour.green() > 200 && colour.red() < 60 && colour.blue() < 60)
        return 'g';
    if (colour.blue() > 200 && colour.red() < 60 && colour.green() < 60)
        return 'b';
    return '?';
}

QImage picture(QWidget* box) {
    return box->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class ViewBackgrounds : public ::testing::Test {
protected:
    void SetUp() override {
        Form5 = new TForm5(viewSettings_);
        Form6 = new TForm6(viewSettings_);
        program::linkHitBoxViews();
        damageFile_ = folder_.filePath(QStringLiteral("27damage.dat"));
        dm::writeWholeFile(damageFile_.toStdString(), {}, table_);
        planFile_ = folder_.filePath(QStringLiteral("plan.png"));
        ASSERT_TRUE(plan().save(planFile_));
        createBackgrounds();
        Form5->N10ft1->trigger(); // few grid lines over the picture
    }

    // As the program's start wires them; a second call stands for a restart.
    void createBackgrounds() {
        delete top_;
        delete side_;
        const auto links = [this](std::function<void()> redraw) {
            return ViewBackground::Links{&settings_, [this] { return damageFile_; }, redraw,
                                         &viewSettings_};
        };
        top_ =
            new ViewBackground(dm::HitBoxView::Top, *Form5->pb1, links([] { Form5->pb1Paint(); }));
        side_ =
            new ViewBackground(dm::HitBoxView::Side, *Form6->pb2, links([] { Form6->pb2Paint(); }));
        HitBoxSource source;
        source.settings = &viewSettings_;
        source.partTable = &table_;
        source.fileName = [this] { return damageFile_; };
        source.underlay = underlaysOf(top_, side_);
        Form5->drawFrom(source);
        Form6->drawFrom(source);
        new BackgroundMenuEntry(*Form5->tvpum, *Form5->BackgroundPicture1, {top_, side_});
    }

    void TearDown() override {
        delete Form6;
        Form6 = nullptr;
        delete Form5;
        Form5 = nullptr;
    }

    ViewBackground& background(dm::HitBoxView view) {
        return view == dm::HitBoxView::Top ? *top_ : *side_;
    }
    static TPaintBox* box(dm::HitBoxView view) {
        return view == dm::HitBoxView::Top ? Form5->pb1 : Form6->pb2;
    }
    static void setZoom(int zoom) { (zoom == 10 ? Form5->N1001 : Form5->N501)->trigger(); }

    QString stored(dm::HitBoxView view) const {
        return settings_.ReadString(
            kSection, view == dm::HitBoxView::Top ? "top 27damage.dat" : "side 27damage.dat",
            QString());
    }

    static std::string feet(double value) { return QString::number(value, 'g', 17).toStdString(); }

    // What `dmtool render` draws for `picture` in the window's present state.
    QImage rendered(dm::HitBoxView view, const dm::BackgroundPicture& picture) {
        const std::string out = folder_.filePath(QStringLiteral("rendered.png")).toStdString();
        std::vector<std::string> args{damageFile_.toStdString(),
                                      "-o",
                                      out,
                                      "--view",
                                      view == dm::HitBoxView::Top ? "top" : "side",
                                      "--grid",
                                      "10",
                                      "--zoom",
                                      std::to_string(viewSettings_.values().ZoomFactor * 10),
                                      "--background",
                                      picture.file,
                                      "--background-width",
                                      feet(picture.widthFeet),
                                      "--background-centre",
                                      feet(picture.centre[0]) + "," + feet(picture.centre[1]),
                                      "--background-opacity",
                                      std::to_string(picture.opacityPercent),
                                      "--legend"};
        if (picture.mirrored)
            args.push_back("--background-mirror");
        EXPECT_EQ(runRenderModule(args), 0);
        return QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
    }

    dm::BackgroundPicture placed(bool mirrored) const {
        return {planFile_.toStdString(), 10, {3, -2}, 100, mirrored};
    }

    testsupport::ExecutableFolder folder_{QStringLiteral(DM_BIN_DIR)};
    testsupport::RecordingPresenter errors_;
    TLMDIniCtrl settings_;
    ViewSettings viewSettings_;
    dm::PartTable table_{};
    QString damageFile_;
    QString planFile_;
    ViewBackground* top_ = nullptr;
    ViewBackground* side_ = nullptr;
};

// The pixel of feet (across, up) in a view of its design size: the origin and its direction
// written out once more, so that a drifting picture fails.
QPoint pixelOf(dm::HitBoxView view, int zoom, double across, double up) {
    const QPoint origin = view == dm::HitBoxView::Top ? QPoint(257, 208) : QPoint(227, 126);
    return {origin.x() - int(std::lround(zoom * across)), origin.y() - int(std::lround(zoom * up))};
}

TEST_F(ViewBackgrounds, PicturePixelsLandWhereTheFeetSayAsDmtoolDrawsThem) {
    struct Case {
        dm::HitBoxView view;
        int zoom;
        bool mirrored;
    };
    const Case cases[]{{dm::HitBoxView::Top, 10, false},
                       {dm::HitBoxView::Top, 5, true},
                       {dm::HitBoxView::Side, 10, true},
                       {dm::HitBoxView::Side, 5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.view == dm::HitBoxView::Top ? "top " : "side ")
                                        << c.zoom << (c.mirrored ? " mirrored" : ""));
        setZoom(c.zoom);
        const dm::BackgroundPicture placement = placed(c.mirrored);
        background(c.view).keep(placement, plan());
        // Across and up from the picture's centre: (3, -2) from above, y 3 and z -2 from the side.
        const double across = c.view == dm::HitBoxView::Top ? 3 : -2;
        const double up = c.view == dm::HitBoxView::Top ? -2 : 3;
        const QImage shown = picture(box(c.view));
        // Feet grow to the left: the picture's left half lies at larger feet across.
        const struct {
            double across, up;
            char plain, mirrored;
        } spots[]{
            {2.4, 0, 'r', 'b'}, {-2.4, 0, 'b', 'r'}, {4.6, 2.2, 'g', 'b'}, {-4.6, 2.2, 'b', 'g'}};
        for (const auto& spot : spots)
            EXPECT_EQ(dominant(shown.pixelColor(
                          pixelOf(c.view, c.zoom, across + spot.across, up + spot.up))),
                      c.mirrored ? spot.mirrored : spot.plain)
                << spot.across << "," << spot.up;
        EXPECT_EQ(rendered(c.view, placement), shown);
    }
}

void sendMouse(QWidget* box, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, box->mapToGlobal(at), Qt::LeftButton, held, modifiers);
    QCoreApplication::sendEvent(box, &event);
}

void sendWheel(QWidget* box, QPoint at, int angle) {
    QWheelEvent event(at, box->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(box, &event);
}

TEST_F(ViewBackgrounds, CtrlDragAndCtrlWheelStoreWhatTheyShow) {
    Form5->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    setZoom(10);
    top_->keep(placed(false), plan());
    const QPoint centre = pixelOf(dm::HitBoxView::Top, 10, 3, -2);

    sendMouse(Form5->pb1, QEvent::MouseButtonPress, centre, Qt::NoModifier); // no Ctrl: no drag
    sendMouse(Form5->pb1, QEvent::MouseMove, centre + QPoint(30, 30), Qt::NoModifier);
    sendMouse(Form5->pb1, QEvent::MouseButtonRelease, centre + QPoint(30, 30), Qt::NoModifier);
    sendMouse(Form5->pb1, QEvent::MouseButtonPress, {5, 5}, Qt::ControlModifier); // off the picture
    sendMouse(Form5->pb1, QEvent::MouseButtonRelease, {35, 35}, Qt::ControlModifier);
    EXPECT_EQ(top_->picture(), placed(false));

    sendMouse(Form5->pb1, QEvent::MouseButtonPress, centre, Qt::ControlModifier);
    sendMouse(Form5->pb1, QEvent::MouseMove, centre + QPoint(7, 3), Qt::ControlModifier);
    sendMouse(Form5->pb1, QEvent::MouseButtonRelease, centre + QPoint(20, -10), Qt::NoModifier);
    dm::BackgroundPicture moved = placed(false);
    moved.centre = {1, -1}; // 20 pixels right is 2 ft less x, 10 up is 1 ft more y
    EXPECT_EQ(top_->picture(), moved);
    EXPECT_EQ(dm::parseBackgroundSettingsLine(stored(dm::HitBoxView::Top).toStdString()), moved);

    // Two notches near the picture's right edge (x = -4): the feet there stay, the width grows
    // by 1.21. They are stored once the wheel rests.
    sendWheel(Form5->pb1, pixelOf(dm::HitBoxView::Top, 10, -3.9, -1), 240);
    QTest::qWait(ViewBackground::kWheelRestMs + 200);
    const auto scaled = dm::parseBackgroundSettingsLine(stored(dm::HitBoxView::Top).toStdString());
    EXPECT_EQ(top_->picture(), scaled);
    EXPECT_NEAR(scaled.widthFeet, 12.1, 1e-9);
    EXPECT_NEAR(scaled.centre[0], -3.9 + 4.9 * 1.21, 1e-9);
    EXPECT_NEAR(scaled.centre[1], -1, 1e-9);
    EXPECT_EQ(rendered(dm::HitBoxView::Top, scaled), picture(Form5->pb1));
}

TEST_F(ViewBackgrounds, ARunOfWheelNotchesIsStoredOnceWhenTheWheelRestsOrTheViewGoes) {
    Form5->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form5));
    setZoom(10);
    top_->keep(placed(false), plan());
    const QFileInfo settingsFile(settings_.fileName());
    const QPoint centre = pixelOf(dm::HitBoxView::Top, 10, 3, -2);
    struct Case {
        const char* name;
        std::function<void()> end; // what follows the run
    };
    const Case cases[]{
        {"the wheel rests", [] { QTest::qWait(ViewBackground::kWheelRestMs + 200); }},
        {"the view goes", [this] { createBackgrounds(); }},
        {"another file is opened",
         [this] {
             damageFile_ = folder_.filePath(QStringLiteral("00damage.dat"));
             top_->picture();
             damageFile_ = folder_.filePath(QStringLiteral("27damage.dat"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        top_->keep(placed(false), plan());
        testsupport::FileWrites writes(settingsFile.path().toStdString(),
                                       settingsFile.fileName().toStdString());
        for (int notch = 0; notch < 5; ++notch) {
            sendWheel(Form5->pb1, centre, notch % 2 == 0 ? 120 : -120);
            QTest::qWait(ViewBackground::kWheelRestMs / 4);
        }
        sendWheel(Form5->pb1, centre, 120);
        const dm::BackgroundPicture shown = *top_->picture();
        EXPECT_EQ(writes.count(), 0) << "nothing is written while the wheel turns";
        c.end();
        EXPECT_EQ(writes.count(), 1);
        EXPECT_NEAR(shown.widthFeet, 10 * 1.1 * 1.1, 1e-9);
        EXPECT_EQ(dm::parseBackgroundSettingsLine(stored(dm::HitBoxView::Top).toStdString()),
                  shown);
    }
}

TEST_F(ViewBackgrounds, SettingsSurviveARestartPerFileAndView) {
    top_->keep(placed(true), plan());
    dm::BackgroundPicture sidePicture = placed(false);
    sidePicture.opacityPercent = 30;
    side_->keep(sidePicture, plan());
    const QImage top = picture(Form5->pb1);
    const QImage side = picture(Form6->pb2);

    createBackgrounds();
    EXPECT_EQ(top_->picture(), placed(true));
    EXPECT_EQ(side_->picture(), sidePicture);
    EXPECT_EQ(picture(Form5->pb1), top);
    EXPECT_EQ(picture(Form6->pb2), side);

    const QString bomber = damageFile_;
    damageFile_ = folder_.filePath(QStringLiteral("00damage.dat"));
    EXPECT_EQ(top_->picture(), std::nullopt) << "another aircraft has its own pictures";
    damageFile_ = bomber;
    EXPECT_EQ(top_->picture(), placed(true));
    EXPECT_TRUE(errors_.texts().isEmpty());
}

TEST_F(ViewBackgrounds, UnreadablePictureSaysSoOnceAndTheViewDrawsWithout) {
    const QImage plain = picture(Form5->pb1);
    const QString fifo = folder_.filePath(QStringLiteral("fifo.png"));
    const testsupport::WaitingFifo waiting(fifo.toStdString());
    ASSERT_TRUE(waiting.made());
    QDir(folder_.path()).mkdir(QStringLiteral("plans.png"));
    const struct {
        QString file;
        QString reason;
    } cases[]{
        {folder_.filePath(QStringLiteral("gone.png")), QStringLiteral("File not found.")},
        {fifo, QStringLiteral("it is a pipe or a device, not a file.")},
        {folder_.filePath(QStringLiteral("plans.png")),
         QStringLiteral("it is a folder, not a file.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        errors_.shown.clear();
        const QString line = QStringLiteral("10;3;-2;100;0;") + c.file;
        settings_.WriteString(kSection, QStringLiteral("top 27damage.dat"), line);
        createBackgrounds();
        EXPECT_EQ(picture(Form5->pb1), plain);
        EXPECT_EQ(picture(Form5->pb1), plain); // drawn twice, said once
        QCoreApplication::processEvents();
        EXPECT_EQ(errors_.texts(),
                  QStringList{"The picture " + c.file + " cannot be shown: " + c.reason});
        EXPECT_EQ(stored(dm::HitBoxView::Top), line);
    }
}

// Runs `answer` on the dialog once the event loop shows it.
void answerDialog(std::function<void(BackgroundPictureDialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<BackgroundPictureDialog*>(widget);
                dialog && dialog->isVisible())
                return answer(*dialog);
        ADD_FAILURE() << "no dialog";
    });
}

TEST_F(ViewBackgrounds, DialogRefusesBadInputStaysOpenAndStoresNothing) {
    const auto write = [this](const char* name, const QByteArray& bytes) {
        QFile file(folder_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QByteArray huge = QByteArray::fromStdString(testsupport::pngWithoutPixels(20000, 20000));
    const QString fifo = folder_.filePath(QStringLiteral("fifo.png"));
    const testsupport::WaitingFifo waiting(fifo.toStdString());
    ASSERT_TRUE(waiting.made());
    struct Case {
        QString file;
        const char* width;
        const char* message;
    };
    const Case cases[]{
        {write("notes.png", "not a picture"), "10", "cannot be shown"},
        {write("empty.png", ""), "10", "cannot be shown"},
        {write("huge.png", huge), "10", "it is 20000 x 20000 pixels"},
        {fifo, "10", "it is a pipe or a device, not a file"},
        {folder_.path(), "10", "it is a folder, not a file"},
        {planFile_, "0", "'0' is not a width in feet"},
        {planFile_, "-5", "'-5' is not a width in feet"},
        {planFile_, "nan", "'nan' is not a width in feet"},
        {planFile_, "1e30", "'1e30' is not a width in feet"},
    };
    answerDialog([&](BackgroundPictureDialog& dialog) {
        EXPECT_TRUE(dialog.mirrorBox->isChecked()) << "mirrored from above at first";
        EXPECT_EQ(dialog.opacityBox->value(), 50);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.message);
            dialog.fileEdit->setText(c.file);
            dialog.widthEdit->setText(c.width);
            dialog.okButton->click();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.messageLabel->text().contains(c.message))
                << dialog.messageLabel->text().toStdString();
        }
        dialog.reject();
    });
    BackgroundMenuEntry::openDialog(*top_);
    EXPECT_EQ(stored(dm::HitBoxView::Top), QString());
    EXPECT_EQ(top_->picture(), std::nullopt);

    answerDialog([&](BackgroundPictureDialog& dialog) {
        dialog.fileEdit->setText(planFile_);
        dialog.widthEdit->setText("10");
        dialog.centreEdits[0]->setText("3");
        dialog.centreEdits[1]->setText("-2");
        dialog.opacityBox->setValue(100);
        dialog.mirrorBox->setChecked(false);
        dialog.okButton->click();
    });
    BackgroundMenuEntry::openDialog(*top_);
    EXPECT_EQ(dm::parseBackgroundSettingsLine(stored(dm::HitBoxView::Top).toStdString()),
              placed(false));

    answerDialog([](BackgroundPictureDialog& dialog) { dialog.removeButton->click(); });
    BackgroundMenuEntry::openDialog(*top_);
    EXPECT_EQ(stored(dm::HitBoxView::Top), QString());
    EXPECT_EQ(top_->picture(), std::nullopt);
}

// A picture scaled by the wheel has feet with many digits: the dialog shows two decimals at most,
// and a value left as shown keeps all of its digits.
TEST_F(ViewBackgrounds, DialogShowsTwoDecimalsAndKeepsWhatIsNotRetyped) {
    dm::BackgroundPicture scaled = placed(false);
    scaled.widthFeet = 96.80000000000001;
    scaled.centre = {0.1 + 0.2, -12.3456};
    top_->keep(scaled, plan());
    answerDialog([&](BackgroundPictureDialog& dialog) {
        EXPECT_EQ(dialog.widthEdit->text(), QStringLiteral("96.8"));
        EXPECT_EQ(dialog.centreEdits[0]->text(), QStringLiteral("0.3"));
        EXPECT_EQ(dialog.centreEdits[1]->text(), QStringLiteral("-12.35"));
        dialog.widthEdit->setText(QStringLiteral("50"));
        dialog.okButton->click();
    });
    BackgroundMenuEntry::openDialog(*top_);
    scaled.widthFeet = 50; // retyped; the centre left as shown
    EXPECT_EQ(top_->picture(), scaled);
}

TEST_F(ViewBackgrounds, MenuEntryServesTheViewTheMenuWasOpenedIn) {
    const QList<QAction*> entries = Form5->tvpum->actions();
    EXPECT_EQ(entries.indexOf(Form5->BackgroundPicture1), entries.indexOf(Form5->N3DView1) + 1);
    Form6->show();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {20, 20},
                                 Form6->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(Form6->pb2, &rightClick);
    ASSERT_TRUE(Form5->tvpum->isVisible());
    EXPECT_TRUE(Form5->BackgroundPicture1->isEnabled());
    QString title;
    answerDialog([&title](BackgroundPictureDialog& dialog) {
        title = dialog.windowTitle();
        EXPECT_FALSE(dialog.mirrorBox->isChecked()) << "not mirrored from the side at first";
        EXPECT_EQ(dialog.centreEdits[1]->text(), "0");
        dialog.reject();
    });
    Form5->BackgroundPicture1->trigger();
    EXPECT_EQ(title, "Background Picture - Side View");
    Form5->tvpum->hide();

    Form5->tvpum->popup({0, 0}); // as the 3-D view opens it
    EXPECT_FALSE(Form5->BackgroundPicture1->isEnabled());
    Form5->tvpum->hide();
}

} // namespace
