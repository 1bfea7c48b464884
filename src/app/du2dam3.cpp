#include "du2dam3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : QMainWindow(parent) { setWindowTitle(QStringLiteral("Click \"Open\" to open a Damage File.")); }
