#pragma once

#include "core/background_picture.h"

#include <QDialog>
#include <QImage>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Background Picture..." for one view: the picture file, its width and centre in feet, its
// opacity and whether it is mirrored. OK reads the picture and closes only when every value and
// the picture are good; otherwise the message shows in the dialog. Remove closes with kRemoved.
class BackgroundPictureDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRemoved = 2;

    // `current` fills the fields; without it they start empty, centred, 50% and mirrored from
    // above only.
    BackgroundPictureDialog(dm::HitBoxView view,
                            const std::optional<dm::BackgroundPicture>& current, QWidget* parent);

    // After OK: what the user chose, and the picture read from its file.
    const dm::BackgroundPicture& chosen() const { return chosen_; }
    const QImage& image() const { return image_; }

    QLineEdit* fileEdit;
    QPushButton* browseButton;
    QLineEdit* widthEdit;
    QLineEdit* centreEdits[2];
    QSpinBox* opacityBox;
    QCheckBox* mirrorBox;
    QLabel* messageLabel;
    QPushButton* okButton;
    QPushButton* removeButton;

private:
    void browse();
    void confirm();
    dm::BackgroundPicture typedPicture() const;

    dm::HitBoxView view_;
    std::optional<dm::BackgroundPicture> current_;
    dm::BackgroundPicture chosen_;
    QImage image_;
};
