#pragma once

#include <QObject>

// The editor window's application settings: the application title, the icon and hints shown at
// once from one control to the next, applied to the application as the editor window is built.
class TLMDApplicationCtrl : public QObject {
    Q_OBJECT
public:
    explicit TLMDApplicationCtrl(QObject* parent = nullptr);

    static constexpr const char* Title = "Quellor Damage File Editor";

    void apply() const;
};
