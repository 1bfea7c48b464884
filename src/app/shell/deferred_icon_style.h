#pragma once

#include <QProxyStyle>

namespace shell {

// The application's own style, except that the menu bar's extension-button icons are read from
// the style only when first drawn (reading them at once, as every menu bar does when it is built,
// loads every image format plugin during start-up), and that tooltips are always legible.
class DeferredIconStyle : public QProxyStyle {
public:
    // Over the native style where the program carries one (Windows), else Qt's choice.
    DeferredIconStyle();

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Tooltips in the tooltip palette's colours, made legible: a native style may give them its
    // theme's text colour over its theme's background, grey on white where the theme says so.
    using QProxyStyle::polish;
    void polish(QWidget* widget) override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

} // namespace shell
