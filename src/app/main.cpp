#include "program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    program::createWindows();
    program::showMainWindow();
    const int exitCode = QApplication::exec();
    program::destroyWindows();
    return exitCode;
}
