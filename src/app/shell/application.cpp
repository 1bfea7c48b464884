#include "shell/application.h"
#include "shell/test_hooks.h"
#include "shell/window_placement.h"

#include "core/install_layout.h"
#include "core/platform_folders.h"
#include "file_names.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>

// Made at build time from the PNG icons in packaging/icons: nothing to decode at start-up.
extern const int kApplicationIconCount;
extern const int kApplicationIconWidths[];
extern const int kApplicationIconHeights[];
extern const std::uint32_t kApplicationIconPixels[];

namespace shell {
namespace {
QString title;
QString folderOverride;
bool endRequested = false;

QString withSeparator(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

dm::InstallLayout layout() {
    return folderOverride.isEmpty() ? dm::installLayout()
                                    : dm::portableLayout(filesystemPath(folderOverride));
}

} // namespace

void setApplicationTitle(const QString& newTitle) {
    title = newTitle;
}

QString applicationTitle() {
    return title;
}

QFont classicFont() {
    const QString classic = QStringLiteral("MS Sans Serif");
    // Looking the family up asks the font configuration each time: once is enough.
    static const bool classicInstalled = QFontDatabase::hasFamily(classic);
    if (classicInstalled)
        return QFont(classic, 8);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

namespace {
// The compiled-in pictures up to `largest` pixels wide, each made into a pixmap only when a window
// or a dialog first asks for its size.
class CompiledInIconEngine : public QIconEngine {
public:
    explicit CompiledInIconEngine(int largest) : largest_(largest) {}

    QIconEngine* clone() const override { return new CompiledInIconEngine(largest_); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int image = 0; image < kApplicationIconCount; ++image)
            if (kApplicationIconWidths[image] <= largest_)
                sizes.append(QSize(kApplicationIconWidths[image], kApplicationIconHeights[image]));
        return sizes;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QPixmap& picture = pictureFor(size);
        return picture.size() == size
                   ? picture
                   : picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

private:
    // The smallest picture at least as wide as `size`, else the widest; made on first use.
    const QPixmap& pictureFor(const QSize& size) {
        int chosen = -1;
        const std::uint32_t* chosenPixels = nullptr;
        const std::uint32_t* pixels = kApplicationIconPixels;
        for (int image = 0; image < kApplicationIconCount; ++image) {
            const int width = kApplicationIconWidths[image];
            if (width <= largest_ &&
                (chosen < 0 || better(width, kApplicationIconWidths[chosen], size.width()))) {
                chosen = image;
                chosenPixels = pixels;
            }
            pixels += static_cast<std::ptrdiff_t>(width) * kApplicationIconHeights[image];
        }
        QPixmap& picture = pictures_[chosen];
        if (picture.isNull())
            picture = QPixmap::fromImage(
                QImage(reinterpret_cast<const uchar*>(chosenPixels), kApplicationIconWidths[chosen],
                       kApplicationIconHeights[chosen], QImage::Format_ARGB32));
        return picture;
    }

    // Whether a picture `width` wide serves `wanted` better than one `current` wide.
    static bool better(int width, int current, int wanted) {
        if (current < wanted)
            return width > current;
        return width >= wanted && width < current;
    }

    int largest_;
    std::map<int, QPixmap> pictures_;
};
} // namespace

QIcon applicationIcon() {
    static const QIcon icon(new CompiledInIconEngine(48));
    return icon;
}

QIcon fullApplicationIcon() {
    static const QIcon icon(new CompiledInIconEngine(std::numeric_limits<int>::max()));
    return icon;
}

QString executableFolder() {
    const QString folder =
        folderOverride.isEmpty() ? qtPath(dm::executableFolder()) : folderOverride;
    return withSeparator(folder);
}

QString dataFolder() {
    return withSeparator(qtPath(layout().dataFolder));
}

QString settingsFile() {
    return qtPath(layout().settingsFile);
}

void setExecutableFolderOverride(const QString& folder) {
    folderOverride = folder;
}

void showWindow(QWidget* window) {
    window->show();
    keepInsideWorkArea(window);
    window->raise();
    window->activateWindow();
}

void terminate() {
    endRequested = true;
    QCoreApplication::quit();
}

bool terminateRequested() {
    return endRequested;
}

void resetTerminateRequest() {
    endRequested = false;
}

} // namespace shell
