#include "du2dam.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("RO3z Damage Editor 26Vad01")); }
