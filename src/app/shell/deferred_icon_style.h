#pragma once

#include <QProxyStyle>

namespace shell {

// The application's own style, except that the menu bar's extension-button icons are read from
// the style only when first drawn. Reading them at once, as every menu bar does when it is built,
// loads every image format plugin during start-up.
class DeferredIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace shell
