#include "background_picture_dialog.h"

#include "core/errors.h"
#include "file_names.h"
#include "shell/error_display.h"
#include "shell/file_dialog.h"
#include "views/background_painter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Feet with two decimals at most: a picture scaled by the wheel has many more.
QString feetText(double feet) {
    QString text = QString::number(feet, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

} // namespace

BackgroundPictureDialog::BackgroundPictureDialog(
    dm::HitBoxView view, const std::optional<dm::BackgroundPicture>& current, QWidget* parent)
    : QDialog(parent), view_(view), current_(current) {
    setWindowTitle(view == dm::HitBoxView::Top ? QStringLiteral("Background Picture - Top View")
                                               : QStringLiteral("Background Picture - Side View"));
    const dm::BackgroundPicture shown = current.value_or(dm::BackgroundPicture{
        {}, 0, {}, dm::kDefaultBackgroundOpacity, dm::mirroredByDefault(view)});

    fileEdit = new QLineEdit(QString::fromStdString(shown.file));
    fileEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 48); // a path shows whole
    browseButton = new QPushButton(QStringLiteral("Browse..."));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(browseButton);
    widthEdit = new QLineEdit(current ? feetText(shown.widthFeet) : QString());
    opacityBox = new QSpinBox;
    opacityBox->setRange(0, 100);
    opacityBox->setSuffix(QStringLiteral(" %"));
    opacityBox->setValue(shown.opacityPercent);
    mirrorBox = new QCheckBox(QStringLiteral("Mirror left and right"));
    mirrorBox->setChecked(shown.mirrored);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Picture file:"), fileRow);
    form->addRow(QStringLiteral("Width in feet:"), widthEdit);
    for (int axis = 0; axis < 2; ++axis) {
        centreEdits[axis] = new QLineEdit(feetText(shown.centre[axis]));
        form->addRow(QStringLiteral("Centre %1 in feet:").arg(dm::centreAxisNames(view)[axis]),
                     centreEdits[axis]);
    }
    form->addRow(QStringLiteral("Opacity:"), opacityBox);
    form->addRow(QString(), mirrorBox);

    messageLabel = new QLabel;
    messageLabel->setWordWrap(true);
    messageLabel->setStyleSheet(QStringLiteral("color: #a00000"));
    messageLabel->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    okButton = buttons->button(QDialogButtonBox::Ok);
    removeButton = buttons->addButton(QStringLiteral("Remove"), QDialogButtonBox::DestructiveRole);
    removeButton->setEnabled(current.has_value());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(messageLabel);
    layout->addWidget(buttons);

    connect(browseButton, &QPushButton::clicked, this,
            [this] { shell::guarded([this] { browse(); }); });
    connect(okButton, &QPushButton::clicked, this,
            [this] { shell::guarded([this] { confirm(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(removeButton, &QPushButton::clicked, this, [this] { done(kRemoved); });
}

void BackgroundPictureDialog::browse() {
    shell::FileDialog dialog(shell::FileDialogKind::Open);
    dialog.setTitle(QStringLiteral("Background Picture"));
    dialog.setFilter(QStringLiteral("Pictures|*.png;*.jpg;*.jpeg;*.bmp;*.gif|All Files|*.*"));
    dialog.setFileName(fileEdit->text());
    if (!fileEdit->text().isEmpty())
        dialog.setInitialDir(QFileInfo(fileEdit->text()).absolutePath());
    if (dialog.execute(this))
        fileEdit->setText(dialog.fileName());
}

dm::BackgroundPicture BackgroundPictureDialog::typedPicture() const {
    dm::BackgroundPicture picture;
    // A value left as shown keeps all its digits.
    const auto untouched = [this](const QLineEdit* edit, double value) {
        return current_ && edit->text() == feetText(value);
    };
    picture.widthFeet = untouched(widthEdit, current_ ? current_->widthFeet : 0)
                            ? current_->widthFeet
                            : dm::parseBackgroundWidth(widthEdit->text().toStdString());
    for (int axis = 0; axis < 2; ++axis)
        picture.centre[axis] =
            untouched(centreEdits[axis], current_ ? current_->centre[axis] : 0)
                ? current_->centre[axis]
                : dm::parseBackgroundCentre(centreEdits[axis]->text().toStdString(),
                                            dm::centreAxisNames(view_)[axis]);
    picture.opacityPercent = opacityBox->value();
    picture.mirrored = mirrorBox->isChecked();
    const QString file = fileEdit->text().trimmed();
    if (file.isEmpty())
        throw dm::DamageError("Choose the picture file");
    picture.file = localPath(QFileInfo(file).absoluteFilePath());
    return picture;
}

// Every value is checked and the picture read before anything is kept.
void BackgroundPictureDialog::confirm() {
    try {
        const dm::BackgroundPicture picture = typedPicture();
        image_ = readBackgroundPicture(QString::fromStdString(picture.file));
        chosen_ = picture;
    } catch (const dm::DamageError& error) {
        messageLabel->setText(QString::fromUtf8(error.what()));
        messageLabel->show();
        return;
    }
    accept();
}
