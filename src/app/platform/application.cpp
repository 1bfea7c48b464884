#include "platform/application.h"
#include "platform/test_hooks.h"

#include "core/install_layout.h"
#include "core/platform_folders.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdint>

// Made at build time from packaging/icons/du2damage-48.png: nothing to decode at start-up.
extern const int kApplicationIconWidth;
extern const int kApplicationIconHeight;
extern const std::uint32_t kApplicationIconPixels[];

namespace platform {
namespace {
QString title;
QString folderOverride;
bool endRequested = false;

QString toQString(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QString withSeparator(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

dm::InstallLayout layout() {
    return folderOverride.isEmpty() ? dm::installLayout()
                                    : dm::portableLayout(folderOverride.toStdString());
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

// The icon the desktop menu shows too: a biplane over a hit-box grid. Windows carry it at 48
// pixels only: every size is sent to the window system with every window, and the larger ones
// cost start-up time for taskbars that show 48 pixels or less.
QIcon applicationIcon() {
    static const QIcon icon(QPixmap::fromImage(
        QImage(reinterpret_cast<const uchar*>(kApplicationIconPixels), kApplicationIconWidth,
               kApplicationIconHeight, QImage::Format_ARGB32)));
    return icon;
}

QString executableFolder() {
    const QString folder =
        folderOverride.isEmpty() ? toQString(dm::executableFolder()) : folderOverride;
    return withSeparator(folder);
}

QString dataFolder() {
    return withSeparator(toQString(layout().dataFolder));
}

QString settingsFile() {
    return toQString(layout().settingsFile);
}

void setExecutableFolderOverride(const QString& folder) {
    folderOverride = folder;
}

void showWindow(QWidget* window) {
    window->show();
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

} // namespace platform
