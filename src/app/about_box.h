#pragma once

#include "explode_effect.h"

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class QDialog;

// The editor's about box. Holds only its settings; each Execute builds the dialog window anew,
// opens it with the explode effect, shows it modally and destroys it.
class TLMDAboutDlg : public QObject {
    Q_OBJECT
public:
    explicit TLMDAboutDlg(QWidget* owner = nullptr);

    QString Caption;
    QString AppName;
    int AppNameSize;
    QString Version;
    QString Description;
    QStringList Hints;
    QIcon Picture; // a null icon stands for the application icon at run time
    bool TitleGradient;
    int GradientSteps;
    int EffectDelay;

    void Execute();

    // The dialog as Execute shows it, built and placed but not yet visible.
    std::unique_ptr<QDialog> build() const;

private:
    QWidget* owner_;
};

// The picture block's image: the icon at twice its size with a frame and a grey shadow.
QPixmap aboutPicture(const QIcon& icon);
