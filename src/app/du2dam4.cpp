#include "du2dam4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Aircraft Damage Files List")); }
