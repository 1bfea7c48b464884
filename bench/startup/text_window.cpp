#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

// The floor for what the start window shows: a window of its size with its button and its text
// box holding the same nine lines, and nothing else.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(330, 174);
    auto* button = new QPushButton(QStringLiteral("Click to Open Damage Editor"), &window);
    button->setGeometry(48, 136, 233, 25);
    auto* text = new QPlainTextEdit(&window);
    text->setGeometry(16, 0, 297, 129);
    text->setPlainText(QStringLiteral("Use this editor at your own risk.\n"
                                      "Make a backup of all of your damage.dat files before \n"
                                      "using this tool.\n"
                                      "Enter data carefully, there is limited range checking \n"
                                      "and bad data (I.E. byte entries >255) will cause the "
                                      "program \n"
                                      "to crash.\n"
                                      "Remember to SAVE when you are done with all of your \n"
                                      "changes to a file.\n"
                                      "Good luck!"));
    window.show();
    return QApplication::exec();
}
