#include <QApplication>
#include <QWidget>

// The floor the editor's start-up is measured against: one plain window of the start window's size.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(330, 174);
    window.show();
    return QApplication::exec();
}
