#include "about_box.h"

#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/system_information.h"
#include "shell/window_placement.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>

namespace {

constexpr int kDesignWidth = 440;
constexpr int kFrameWidth = 3;
constexpr int kBandHeight = 22;
constexpr int kColumnTop = 24;
constexpr QRect kPictureBlock(15, 7, 105, 105);
constexpr int kIconSize = 32;

// A word-wrapped label drawn sunken: a light copy one pixel down-right under a dark one.
class SunkenLabel : public QLabel {
public:
    SunkenLabel(const QString& text, const QFont& font, int width, QWidget* parent)
        : QLabel(text, parent) {
        setFont(font);
        setWordWrap(true);
        const QRect bounds =
            fontMetrics().boundingRect(QRect(0, 0, width - 1, 10000), Qt::TextWordWrap, text);
        resize(width, bounds.height() + 1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        shell::guarded([this] { paintSunken(); });
    }

private:
    void paintSunken() {
        QPainter painter(this);
        const QRect area = rect().adjusted(0, 0, -1, -1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area.translated(1, 1), Qt::TextWordWrap, text());
        painter.setPen(palette().color(QPalette::Dark).darker(160));
        painter.drawText(area, Qt::TextWordWrap, text());
    }
};

// The window's title bar: the caption on a colour gradient of a fixed number of bands. Dragging
// it moves the window, through the window system where it offers that.
class GradientBand : public QWidget {
public:
    GradientBand(const QString& caption, int steps, QWidget* parent)
        : QWidget(parent), caption_(caption), steps_(std::max(1, steps)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        shell::guarded([this] { paintBand(); });
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        QWindow* handle = window()->windowHandle();
        dragging_ = !handle || !handle->startSystemMove();
        grabbedAt_ = event->globalPosition().toPoint() - window()->pos();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_ && event->buttons().testFlag(Qt::LeftButton))
            window()->move(event->globalPosition().toPoint() - grabbedAt_);
    }

    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }

private:
    void paintBand() {
        QPainter painter(this);
        const QColor from(0, 0, 128);
        const QColor to(166, 202, 240);
        for (int step = 0; step < steps_; ++step) {
            const int left = width() * step / steps_;
            const int right = width() * (step + 1) / steps_;
            const double share = steps_ > 1 ? double(step) / (steps_ - 1) : 0.0;
            painter.fillRect(QRect(left, 0, right - left, height()),
                             QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                                              from.greenF() + (to.greenF() - from.greenF()) * share,
                                              from.blueF() + (to.blueF() - from.blueF()) * share));
        }
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
    }

    QString caption_;
    int steps_;
    bool dragging_ = false;
    QPoint grabbedAt_;
};

// A window without the window system's frame: it draws its own raised dialog frame, and the close
// key closes it like the close button of a title bar.
class FramelessDialog : public QDialog {
public:
    explicit FramelessDialog(QWidget* owner)
        : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent*) override {
        shell::guarded([this] {
            QPainter painter(this);
            qDrawWinPanel(&painter, rect(), palette());
        });
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool closeKey = event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier;
        if (closeKey || event->matches(QKeySequence::Close))
            reject();
        else
            QDialog::keyPressEvent(event);
    }
};

QPixmap fallbackIcon() {
    QPixmap picture(kIconSize, kIconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kIconSize / 2.0, kIconSize / 2.0);
    painter.setPen(Qt::NoPen);
    for (const auto& [radius, colour] :
         {std::pair{15.0, QColor(20, 40, 140)}, std::pair{10.0, QColor(Qt::white)},
          std::pair{5.0, QColor(200, 20, 20)}}) {
        painter.setBrush(colour);
        painter.drawEllipse(centre, radius, radius);
    }
    return picture;
}

QLabel* addWrappedLabel(QWidget* parent, const QString& name, const QString& text,
                        const QFont& font, const QRect& place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setWordWrap(true);
    label->setGeometry(place.x(), place.y(), place.width(), label->heightForWidth(place.width()));
    return label;
}

// Lays the client area out from its top down; returns the bottom of the last item.
class AboutLayout {
public:
    AboutLayout(QWidget& client, const TLMDAboutDlg& settings)
        : client_(client), settings_(settings) {}

    int build(int clientWidth) {
        auto* picture = new QLabel(&client_);
        picture->setObjectName(QStringLiteral("pictureBlock"));
        picture->setScaledContents(true);
        picture->setPixmap(aboutPicture(settings_.Picture));
        picture->setGeometry(kPictureBlock);

        const int left = kPictureBlock.right() + 1 + 8;
        const int width = clientWidth - 6 - left;
        int y = kColumnTop;
        QFont nameFont(QStringLiteral("Arial"), settings_.AppNameSize, QFont::Bold);
        auto* name = new SunkenLabel(settings_.AppName, nameFont, width, &client_);
        name->setObjectName(QStringLiteral("nameLabel"));
        name->move(left, y);
        y = std::max(y + name->height() + 10, kPictureBlock.bottom() + 1);

        QFont bold = client_.font();
        bold.setBold(true);
        y += addWrappedLabel(&client_, QStringLiteral("versionLabel"), settings_.Version, bold,
                             QRect(left, y, width, 0))
                 ->height() +
             4;
        y += addWrappedLabel(&client_, QStringLiteral("descriptionLabel"), settings_.Description,
                             client_.font(), QRect(left, y, width, 0))
                 ->height() +
             36;

        auto* separator = new QFrame(&client_);
        separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        separator->setGeometry(left, y, width, 2);
        return addSystemInformation(left, y + 9, width);
    }

private:
    int addSystemInformation(int left, int top, int width) {
        const QList<std::pair<QString, QString>> rows = {
            {QStringLiteral("Available Memory:"), shell::availableMemory()},
            {QStringLiteral("Platform, CPU:"), shell::platformAndCpu()},
        };
        const QStringList valueNames = {QStringLiteral("memoryValue"),
                                        QStringLiteral("platformValue")};
        int captionWidth = 0;
        for (const auto& row : rows)
            captionWidth =
                std::max(captionWidth, client_.fontMetrics().horizontalAdvance(row.first));
        const int valueLeft = left + captionWidth + 8;
        int y = top;
        for (int i = 0; i < rows.size(); ++i) {
            const QLabel* caption = addWrappedLabel(&client_, {}, rows[i].first, client_.font(),
                                                    QRect(left, y, captionWidth + 1, 0));
            const QLabel* value =
                addWrappedLabel(&client_, valueNames[i], rows[i].second, client_.font(),
                                QRect(valueLeft, y, left + width - valueLeft, 0));
            y += std::max(caption->height(), value->height());
        }
        return y;
    }

    QWidget& client_;
    const TLMDAboutDlg& settings_;
};

} // namespace

TLMDAboutDlg::TLMDAboutDlg(QWidget* owner)
    : QObject(owner), Caption(QStringLiteral("About the Damage Editor")),
      AppName(QStringLiteral("DU2/3D Damage File Editor")), AppNameSize(20),
      Version(QStringLiteral("Version 26Vad01")),
      Description(QStringLiteral("This editing progam allows you to change the values in the "
                                 "aircraft damage files.")),
      Hints{QStringLiteral("Long Live Quellor!!")}, TitleGradient(true), GradientSteps(64),
      EffectDelay(75), owner_(owner) {
    setObjectName(QStringLiteral("LMDAboutDlg1"));
}

std::unique_ptr<QDialog> TLMDAboutDlg::build() const {
    auto dialog = std::make_unique<FramelessDialog>(owner_);
    dialog->setWindowTitle(Caption);
    dialog->setFont(shell::classicFont());
    const int width = kDesignWidth * dialog->logicalDpiX() / 96;
    const int innerWidth = width - 2 * kFrameWidth;

    auto* band = new GradientBand(Caption, TitleGradient ? GradientSteps : 1, dialog.get());
    band->setObjectName(QStringLiteral("titleBand"));
    band->setGeometry(kFrameWidth, kFrameWidth, innerWidth, kBandHeight);
    auto* close = new QToolButton(band);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setIcon(close->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setFocusPolicy(Qt::NoFocus);
    close->setGeometry(innerWidth - 2 - 18, 2, 18, kBandHeight - 4);
    QObject::connect(close, &QToolButton::clicked, dialog.get(), &QDialog::reject);

    // The positions of the contents are those of the client area, below the title bar.
    auto* client = new QWidget(dialog.get());
    client->setObjectName(QStringLiteral("clientArea"));
    const int informationBottom = AboutLayout(*client, *this).build(innerWidth);

    auto* ok = new QPushButton(QStringLiteral("OK"), client);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(innerWidth - 6 - 75, informationBottom + 24, 75, 25);
    ok->setDefault(true);
    if (!Hints.isEmpty())
        ok->setToolTip(Hints.first());
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    ok->setFocus();

    client->setGeometry(kFrameWidth, kFrameWidth + kBandHeight, innerWidth,
                        ok->geometry().bottom() + 1 + 6);
    dialog->setFixedSize(width, client->geometry().bottom() + 1 + kFrameWidth);
    shell::centreOnScreen(dialog.get());
    return dialog;
}

void TLMDAboutDlg::Execute() {
    const std::unique_ptr<QDialog> dialog = build();
    runExplodeEffect(QCursor::pos(),
                     dialog->geometry().marginsAdded(shell::frameMargins(dialog.get())),
                     EffectDelay);
    dialog->exec();
}

QPixmap aboutPicture(const QIcon& icon) {
    const QIcon source = icon.isNull() ? QApplication::windowIcon() : icon;
    const QPixmap iconPixmap =
        source.isNull() ? fallbackIcon() : source.pixmap(kIconSize, kIconSize);
    const int side = kIconSize * 2 + 8;
    QPixmap picture(side, side);
    picture.fill(QApplication::palette().color(QPalette::Button));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(1, 1, kIconSize * 2, kIconSize * 2), iconPixmap);
    const QColor shadow(128, 128, 128);
    painter.fillRect(QRect(side - 6, 6, 6, side - 6), shadow);
    painter.fillRect(QRect(6, side - 6, side - 6, 6), shadow);
    painter.setPen(Qt::black);
    painter.drawRect(QRect(0, 0, side - 6, side - 6));
    return picture;
}
