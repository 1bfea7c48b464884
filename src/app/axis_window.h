#pragma once

#include <QWidget>

class QLabel;

// The damage axis image window: the axis picture; a click anywhere in it hides the window.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Image1;

    void Image1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

extern TForm2* Form2;
