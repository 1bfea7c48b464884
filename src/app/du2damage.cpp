#include "du2dam.h"
#include "du2dam2.h"
#include "du2dam3.h"
#include "du2dam4.h"
#include "du2dam5.h"
#include "du2dam6.h"
#include "platform/application.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    platform::setApplicationTitle(QStringLiteral("DU2 Aircraft Damage Editor"));
    Form1 = new TForm1;
    Form2 = new TForm2;
    Form3 = new TForm3;
    Form4 = new TForm4;
    Form5 = new TForm5;
    Form6 = new TForm6;
    Form1->show();
    return app.exec();
}
