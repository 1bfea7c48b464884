#include "du2dam5.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Hit Box Graphic Top View")); }
