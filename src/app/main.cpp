#include "command_line.h"
#include "core/install_layout.h"
#include "core/version.h"
#include "program.h"
#include "shell/console_output.h"
#include "shell/display_connection.h"

#include <QApplication>

#include <iostream>

namespace {

std::vector<std::string> argumentsOf(const QStringList& arguments) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    return args;
}

} // namespace

int main(int argc, char* argv[]) {
    const startup::CommandLine early =
        startup::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.help || early.version) {
        const std::string version = std::string("du2damage ") + dm::kVersion + '\n';
        return shell::printForUser(early.help ? startup::kHelp : version) ? 0 : 1;
    }
#ifndef Q_OS_WIN // an X11 or Wayland display is looked for where there can be one
    switch (startup::chooseDisplay(startup::displayEnvironment(), early.platformOption)) {
    case startup::DisplayChoice::NoDisplay:
        std::cerr << "du2damage needs a graphical display: DISPLAY is not set\n";
        return 1;
    case startup::DisplayChoice::XWayland:
        qputenv("QT_QPA_PLATFORM", "xcb");
        break;
    case startup::DisplayChoice::AsIs:
        break;
    }
    if (!early.platformOption) {
        const std::string display = shell::unreachableDisplay(startup::displayEnvironment());
        if (!display.empty()) {
            std::cerr << "du2damage cannot open the display " << display << '\n';
            return 1;
        }
    }
#endif

    QApplication app(argc, argv);
    // Qt has taken its own options out; what is left is ours.
    const startup::CommandLine line = startup::parseCommandLine(argumentsOf(app.arguments()));
    if (const std::string problem = line.problem(); !problem.empty()) {
        shell::printForUser("du2damage: " + problem + "\nTry 'du2damage --help'.\n", true);
        return 2;
    }
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.du2damage.editor"));
    dm::installLayout(); // decided once, before any window reads a path
    program::createWindows();
    if (line.files.empty())
        program::showMainWindow();
    else
        program::openAtStart(QString::fromStdString(line.files.front()));
    const int exitCode = QApplication::exec();
    program::destroyWindows();
    return exitCode;
}
