#include "axis_picture.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

const QColor kPaper(206, 206, 203);
const QColor kPaperEdge(150, 150, 148);
const QColor kRuling(193, 195, 201);
const QColor kInk(38, 38, 42);
const QColor kAxisInk(28, 58, 140);
const QColor kAirframe(196, 184, 140);
const QColor kAirframeDark(150, 138, 96);
const QColor kOutline(62, 58, 46);
const QColor kOriginRed(204, 24, 24);

constexpr double kCentreX = 139.0;
constexpr double kTextLeft = 30.0;

QFont pictureFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void drawPage(QPainter& painter) {
    const QRectF page(0, 0, kAxisPictureWidth, kAxisPictureHeight);
    painter.fillRect(page, kPaper);
    painter.setPen(QPen(kRuling, 1));
    for (int y = 60; y < kAxisPictureHeight - 6; y += 16)
        painter.drawLine(QPointF(kTextLeft - 2, y + 0.5), QPointF(kAxisPictureWidth - 6, y + 0.5));
    painter.setPen(QPen(QColor(214, 150, 150), 1));
    painter.drawLine(QPointF(kTextLeft - 4.5, 0), QPointF(kTextLeft - 4.5, kAxisPictureHeight));
    painter.setPen(QPen(kPaperEdge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(page.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(QColor(178, 178, 175), 1));
    painter.drawLine(QPointF(1.5, kAxisPictureHeight - 1.5),
                     QPointF(kAxisPictureWidth - 1.5, kAxisPictureHeight - 1.5));
    painter.drawLine(QPointF(kAxisPictureWidth - 1.5, 1.5),
                     QPointF(kAxisPictureWidth - 1.5, kAxisPictureHeight - 1.5));
}

// A steel ring looping round the left edge of the page into its punched hole.
void drawBinderRing(QPainter& painter, double centreY) {
    QPainterPath loop;
    loop.moveTo(14, centreY - 2);
    loop.cubicTo(QPointF(9, centreY - 13), QPointF(-3, centreY - 13), QPointF(-3, centreY));
    loop.cubicTo(QPointF(-3, centreY + 13), QPointF(9, centreY + 13), QPointF(14, centreY + 2));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(60, 62, 68), 5.5));
    painter.drawPath(loop);
    QLinearGradient steel(0, centreY - 11, 0, centreY + 11);
    steel.setColorAt(0, QColor(244, 246, 250));
    steel.setColorAt(0.45, QColor(176, 180, 188));
    steel.setColorAt(1, QColor(104, 108, 116));
    painter.setPen(QPen(QBrush(steel), 3.5));
    painter.drawPath(loop);

    painter.setPen(QPen(QColor(140, 140, 140), 1));
    painter.setBrush(QColor(72, 72, 76));
    painter.drawEllipse(QPointF(15, centreY), 4.5, 4.5);
}

void drawCentredText(QPainter& painter, const QString& text, double baseline, const QFont& font) {
    painter.setFont(font);
    const double width = painter.fontMetrics().horizontalAdvance(text);
    painter.drawText(QPointF(kCentreX - width / 2, baseline), text);
}

void drawArrow(QPainter& painter, QPointF from, QPointF to) {
    painter.setPen(QPen(kAxisInk, 1.2, Qt::DashLine));
    painter.drawLine(from, to);
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF normal(-direction.y(), direction.x());
    const QPointF base = to - direction * 8;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAxisInk);
    painter.drawPolygon(QPolygonF({to, base + normal * 3.5, base - normal * 3.5}));
}

void drawLabel(QPainter& painter, const QString& text, QPointF baselineStart) {
    painter.setFont(pictureFont(12, true));
    painter.setPen(kAxisInk);
    painter.drawText(baselineStart, text);
}

void setAirframeStyle(QPainter& painter) {
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(kAirframe);
}

// The biplane seen from the front, z pointing up.
void drawFrontView(QPainter& painter) {
    const double cx = kCentreX;
    const double upperWing = 78;
    const double lowerWing = 108;

    painter.setPen(QPen(kOutline, 1.6));
    for (const double side : {-1.0, 1.0}) {
        painter.drawLine(QPointF(cx + side * 62, upperWing + 3),
                         QPointF(cx + side * 60, lowerWing));
        painter.drawLine(QPointF(cx + side * 10, upperWing + 3), QPointF(cx + side * 8, 96));
        painter.drawLine(QPointF(cx + side * 6, 110), QPointF(cx + side * 17, 124));
    }
    painter.drawLine(QPointF(cx - 17, 124), QPointF(cx + 17, 124));

    setAirframeStyle(painter);
    painter.drawRoundedRect(QRectF(cx - 88, upperWing - 2, 176, 5), 2, 2);
    painter.drawRoundedRect(QRectF(cx - 80, lowerWing - 2, 160, 5), 2, 2);
    painter.setBrush(kAirframeDark);
    painter.drawEllipse(QPointF(cx, 101), 13, 12);
    painter.setBrush(QColor(70, 66, 60));
    painter.drawEllipse(QPointF(cx, 101), 6, 5.5);
    for (const double side : {-1.0, 1.0})
        painter.drawRoundedRect(QRectF(cx + side * 19 - 3, 117, 6, 15), 2, 2);

    painter.setPen(QPen(QColor(90, 80, 64, 150), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(cx - 24, 101), QPointF(cx + 24, 101));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawEllipse(QPointF(cx, 101), 2.5, 2.5);

    drawArrow(painter, QPointF(cx, 136), QPointF(cx, 56));
    drawLabel(painter, QStringLiteral("+z"), QPointF(cx + 7, 68));
    drawLabel(painter, QStringLiteral("-z"), QPointF(cx + 26, 128));
}

QPainterPath wingOutline(double cx, double leading, double chord, double halfSpan) {
    QPainterPath wing;
    wing.addRoundedRect(QRectF(cx - halfSpan, leading, halfSpan * 2, chord), 6, 6);
    return wing;
}

// The aircraft seen from above, nose up: y forward, x toward the right wing. Returns the origin.
QPointF drawTopView(QPainter& painter) {
    const double cx = kCentreX;
    const double wingLeading = 198;
    const double wingChord = 24;

    setAirframeStyle(painter);
    painter.drawPath(wingOutline(cx, 292, 16, 34));
    QPainterPath fuselage;
    fuselage.moveTo(cx - 9, 178);
    fuselage.cubicTo(QPointF(cx - 10, 230), QPointF(cx - 4, 290), QPointF(cx - 2, 318));
    fuselage.lineTo(cx + 2, 318);
    fuselage.cubicTo(QPointF(cx + 4, 290), QPointF(cx + 10, 230), QPointF(cx + 9, 178));
    fuselage.closeSubpath();
    painter.drawPath(fuselage);
    painter.drawPath(wingOutline(cx, wingLeading, wingChord, 80));

    painter.setPen(QPen(kAirframeDark, 1));
    for (const double side : {-1.0, 1.0}) {
        painter.drawLine(QPointF(cx + side * 46, wingLeading + wingChord - 6),
                         QPointF(cx + side * 78, wingLeading + wingChord - 6));
        painter.drawLine(QPointF(cx + side * 46, wingLeading + wingChord - 6),
                         QPointF(cx + side * 46, wingLeading + wingChord));
    }
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(QColor(70, 66, 60));
    painter.drawEllipse(QPointF(cx, wingLeading + wingChord + 10), 4, 6);
    painter.setBrush(kAirframeDark);
    painter.drawEllipse(QPointF(cx, 178), 9, 4);
    painter.setPen(QPen(QColor(60, 50, 36), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(cx - 20, 174), QPointF(cx + 20, 174));

    const QPointF origin(cx, wingLeading + wingChord + 22);
    drawArrow(painter, QPointF(cx, 334), QPointF(cx, 156));
    drawArrow(painter, QPointF(cx - 102, origin.y()), QPointF(cx + 102, origin.y()));
    drawLabel(painter, QStringLiteral("+y"), QPointF(cx + 8, 166));
    drawLabel(painter, QStringLiteral("-y"), QPointF(cx + 10, 332));
    drawLabel(painter, QStringLiteral("-x"), QPointF(cx - 102, wingLeading + 17));
    drawLabel(painter, QStringLiteral("+x"), QPointF(cx + 84, wingLeading + 17));
    return origin;
}

void drawOrigin(QPainter& painter, QPointF origin) {
    const QPointF labelBaseline(kTextLeft + 6, 286);
    painter.setFont(pictureFont(12, true));
    painter.setPen(kOriginRed);
    painter.drawText(labelBaseline, QStringLiteral("origin"));
    const double labelWidth = painter.fontMetrics().horizontalAdvance(QStringLiteral("origin"));
    painter.setPen(QPen(kOriginRed, 1));
    painter.drawLine(labelBaseline + QPointF(labelWidth / 2, -13), origin);
    painter.setPen(QPen(QColor(120, 0, 0), 1));
    painter.setBrush(kOriginRed);
    painter.drawEllipse(origin, 3.5, 3.5);
}

QImage drawTrueColourPicture() {
    QImage image(kAxisPictureWidth, kAxisPictureHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawPage(painter);
    for (const double y : {52.0, 134.0, 216.0, 298.0})
        drawBinderRing(painter, y);
    painter.setPen(kInk);
    drawCentredText(painter, QStringLiteral("x, y, z axis for aircraft"), 22,
                    pictureFont(13, true));
    drawCentredText(painter, QStringLiteral("hit boxes"), 40, pictureFont(13, true));
    drawFrontView(painter);
    drawOrigin(painter, drawTopView(painter));
    return image;
}

} // namespace

QList<QRgb> dominantColours(const QImage& image, int count) {
    QHash<QRgb, int> frequency;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            ++frequency[line[x]];
    }
    std::vector<std::pair<int, QRgb>> ranked;
    ranked.reserve(frequency.size());
    for (auto it = frequency.cbegin(); it != frequency.cend(); ++it)
        ranked.emplace_back(it.value(), it.key());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QList<QRgb> colours;
    for (int i = 0; i < std::min<int>(count, static_cast<int>(ranked.size())); ++i)
        colours.append(ranked[i].second);
    return colours;
}

QImage drawAxisPicture() {
    const QImage picture = drawTrueColourPicture();
    return picture.convertToFormat(QImage::Format_Indexed8, dominantColours(picture),
                                   Qt::ThresholdDither);
}
