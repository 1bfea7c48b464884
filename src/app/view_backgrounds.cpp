#include "view_backgrounds.h"

#include "background_picture_dialog.h"
#include "core/errors.h"
#include "file_names.h"
#include "hitbox_views.h"
#include "paint_box.h"
#include "settings/ini_ctrl.h"
#include "shell/error_display.h"
#include "view_settings.h"
#include "views/background_painter.h"
#include "views/grid_contrast.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

namespace {

const QString kSection = QString::fromLatin1(dm::kBackgroundSection);

// One wheel notch scales the picture by a tenth.
constexpr double kScalePerNotch = 1.1;

bool withControl(const QInputEvent* event) {
    return event->modifiers().testFlag(Qt::ControlModifier);
}

QString settingsKey(const QString& damageFile, dm::HitBoxView view) {
    return QString::fromStdString(dm::backgroundSettingsKey(localPath(damageFile), view));
}

} // namespace

ViewBackground::ViewBackground(dm::HitBoxView view, TPaintBox& box, Links links)
    : QObject(&box), view_(view), box_(box), links_(std::move(links)) {
    box.installEventFilter(this);
    wheelRest_.setSingleShot(true);
    wheelRest_.setInterval(kWheelRestMs);
    connect(&wheelRest_, &QTimer::timeout, this, [this] { shell::guarded([this] { store(); }); });
}

ViewBackground::~ViewBackground() {
    shell::guarded([this] { storePending(); });
}

// A setting is read anew whenever the open file's name differs from the one it was read for.
void ViewBackground::followDamageFile() {
    const QString damageFile = links_.damageFile();
    if (damageFile == followedFile_)
        return;
    storePending(); // under the name it was made for
    followedFile_ = damageFile;
    picture_.reset();
    forgetPicture();
    if (damageFile.isEmpty() || links_.settings == nullptr)
        return;
    const QString line =
        links_.settings->ReadString(kSection, settingsKey(damageFile, view_), QString());
    if (line.isEmpty())
        return;
    try {
        picture_ = dm::parseBackgroundSettingsLine(localPath(line));
    } catch (const dm::DamageError& error) {
        reportOnce(QString::fromUtf8(error.what()));
    }
}

void ViewBackground::forgetPicture() {
    image_ = QImage();
    unreadable_ = false;
    reducedFor_.reset();
    underlayFor_.reset();
}

void ViewBackground::readPicture() {
    if (!image_.isNull() || unreadable_ || !picture_)
        return;
    try {
        image_ = readBackgroundPicture(QString::fromStdString(picture_->file));
    } catch (const dm::DamageError& error) {
        reportOnce(QString::fromUtf8(error.what()));
    }
}

// Said after the event in hand, which must not wait on a message box; what both views report in
// it goes into one box.
void ViewBackground::reportOnce(const QString& message) {
    unreadable_ = true;
    static QStringList pending;
    if (pending.contains(message))
        return;
    pending << message;
    if (pending.size() == 1)
        QTimer::singleShot(0, [] {
            const QString all = pending.join('\n');
            pending.clear();
            shell::guarded([&all] { shell::showError(all); });
        });
}

void ViewBackground::prepare() {
    followDamageFile();
    readPicture();
}

dm::SceneRequest ViewBackground::viewAt(QSize size) const {
    return links_.viewSettings->request(size, view_);
}

const QImage* ViewBackground::underlay(QSize size) {
    followDamageFile();
    readPicture();
    if (image_.isNull())
        return nullptr;
    const dm::SceneRequest view = viewAt(size);
    const dm::PictureFrame frame =
        dm::pictureFrame(*picture_, image_.width(), image_.height(), view);
    const std::pair reducedFor{view.zoomFactor, picture_->widthFeet};
    if (reducedFor_ != reducedFor) {
        reduced_ = reducedForFrame(image_, frame);
        reducedFor_ = reducedFor;
    }
    const UnderlayKey key{size, view.zoomFactor, view.gridFeet, view.pan, *picture_};
    if (underlayFor_ != key) {
        // The grid goes into the picture once, not at every paint.
        underlay_ = QImage(size, QImage::Format_RGB32);
        paintBackground(underlay_, reduced_, frame, picture_->opacityPercent);
        drawGridWithContrast(underlay_, QRect(QPoint(0, 0), size),
                             dm::buildHitBoxScene(view, dm::PartTable{}));
        underlayFor_ = key;
    }
    return &underlay_;
}

std::optional<dm::BackgroundPicture> ViewBackground::picture() {
    followDamageFile();
    return picture_;
}

void ViewBackground::keep(const dm::BackgroundPicture& picture, const QImage& image) {
    followDamageFile();
    forgetPicture();
    picture_ = picture;
    image_ = image;
    store();
    links_.redraw();
}

void ViewBackground::remove() {
    followDamageFile();
    wheelRest_.stop();
    picture_.reset();
    forgetPicture();
    links_.settings->DeleteKey(kSection, settingsKey(followedFile_, view_));
    links_.redraw();
}

void ViewBackground::carryTo(const QString& damageFile) {
    followDamageFile();
    if (followedFile_.isEmpty()) // no file was open: nothing to carry
        return;
    const QString key = settingsKey(damageFile, view_);
    if (key == settingsKey(followedFile_, view_))
        return;
    followedFile_ = damageFile;
    if (picture_)
        store();
    else
        links_.settings->DeleteKey(kSection, key);
}

void ViewBackground::store() {
    wheelRest_.stop();
    links_.settings->WriteString(kSection, settingsKey(followedFile_, view_),
                                 QString::fromStdString(dm::backgroundSettingsLine(*picture_)));
}

void ViewBackground::storePending() {
    if (wheelRest_.isActive())
        store();
}

// A placement that is only shown; the gesture's end stores it.
void ViewBackground::place(const dm::BackgroundPicture& picture) {
    picture_ = picture;
    links_.redraw();
}

bool ViewBackground::covers(QPoint at) const {
    if (!picture_ || image_.isNull() || unreadable_)
        return false;
    const dm::PictureFrame frame =
        dm::pictureFrame(*picture_, image_.width(), image_.height(), viewAt(box_.size()));
    return at.x() + 0.5 >= frame.left && at.x() + 0.5 < frame.left + frame.width &&
           at.y() + 0.5 >= frame.top && at.y() + 0.5 < frame.top + frame.height;
}

bool ViewBackground::startDrag(QPoint at) {
    if (!covers(at))
        return false;
    dragStart_ = at;
    dragStartPicture_ = *picture_;
    return true;
}

// Reckoned from where the drag started, so that no rounding adds up on the way.
void ViewBackground::drag(QPoint at) {
    const QPoint moved = at - *dragStart_;
    place(dm::movedByPixels(dragStartPicture_, {moved.x(), moved.y()}, viewAt(box_.size())));
}

void ViewBackground::scaleAround(QPoint at, int wheelAngle) {
    const double factor =
        std::pow(kScalePerNotch, double(wheelAngle) / QWheelEvent::DefaultDeltasPerStep);
    place(dm::scaledAround(*picture_, factor, {at.x(), at.y()}, viewAt(box_.size())));
    wheelRest_.start(); // each notch puts the store off again
}

bool ViewBackground::eventFilter(QObject*, QEvent* event) {
    bool handled = false;
    shell::guarded([&] {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* press = static_cast<QMouseEvent*>(event);
            handled = press->button() == Qt::LeftButton && withControl(press) &&
                      startDrag(press->position().toPoint());
            break;
        }
        case QEvent::MouseMove:
            if ((handled = dragStart_.has_value()))
                drag(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonRelease:
            if ((handled = dragStart_.has_value())) {
                drag(static_cast<QMouseEvent*>(event)->position().toPoint());
                dragStart_.reset();
                store();
            }
            break;
        case QEvent::Wheel: {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const QPoint at = wheel->position().toPoint();
            if ((handled = withControl(wheel) && covers(at)))
                scaleAround(at, wheel->angleDelta().y());
            break;
        }
        default:
            break;
        }
    });
    return handled;
}

ViewUnderlays underlaysOf(ViewBackground* top, ViewBackground* side) {
    return [top = QPointer(top), side = QPointer(side)](dm::HitBoxView view,
                                                        QSize size) -> const QImage* {
        ViewBackground* background = view == dm::HitBoxView::Top ? top : side;
        return background != nullptr ? background->underlay(size) : nullptr;
    };
}

BackgroundMenuEntry::BackgroundMenuEntry(QMenu& menu, QAction& entry,
                                         std::vector<ViewBackground*> views)
    : QObject(&menu), entry_(entry) {
    for (ViewBackground* view : views) {
        views_.emplace_back(view);
        view->box().installEventFilter(this);
        view->box().window()->installEventFilter(this);
    }
    // A menu opened without a right-click in a flat view (from the 3-D view) has no view to serve.
    connect(&menu, &QMenu::aboutToShow, this, [this] {
        menuFor_ = askedFrom_;
        askedFrom_ = nullptr;
        entry_.setEnabled(menuFor_ != nullptr);
    });
    connect(&entry, &QAction::triggered, this, [this] {
        shell::guarded([this] {
            if (menuFor_ != nullptr)
                openDialog(*menuFor_);
        });
    });
}

bool BackgroundMenuEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu)
        for (const QPointer<ViewBackground>& view : views_)
            if (view != nullptr && (&view->box() == watched || view->box().window() == watched))
                askedFrom_ = view;
    return false;
}

void BackgroundMenuEntry::openDialog(ViewBackground& background) {
    if (background.damageFile().isEmpty())
        throw dm::DamageError("Open a damage file first: its views keep their own pictures");
    BackgroundPictureDialog dialog(background.view(), background.picture(),
                                   background.box().window());
    const int result = dialog.exec();
    if (result == QDialog::Accepted)
        background.keep(dialog.chosen(), dialog.image());
    else if (result == BackgroundPictureDialog::kRemoved)
        background.remove();
}
