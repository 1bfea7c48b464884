#pragma once

#include <QFlags>
#include <QObject>
#include <QSize>
#include <QString>

class QWidget;
class TLMDIniCtrl;

// What a placement keeper gives back to its window when the window is shown: every keeper gives
// position and size, the editor's also the show state. With soRestoreOnce only the first showing
// is placed: later ones keep the place the user left the window at.
enum TLMDIniSaveOption { soPos = 0x1, soSize = 0x2, soState = 0x4, soRestoreOnce = 0x8 };
Q_DECLARE_FLAGS(TLMDIniSaveOptions, TLMDIniSaveOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLMDIniSaveOptions)

// A window's placement keeper: restores the stored placement every time the window is shown and
// stores the placement when the keeper goes with its window at the end of the program (a window
// never shown keeps the placement stored for it). It watches the window before the window's own
// handlers run.
class TLMDForm : public QObject {
    Q_OBJECT
public:
    // Keeps `window`'s placement under `iniKey` in `section` of `store`; becomes a child of the
    // window. Without a store it keeps nothing. A stored size below `smallestSize` (a client
    // size, the frame comes on top; when empty, the window's own minimum) grows to it.
    TLMDForm(QWidget* window, TLMDIniCtrl* store, const QString& section, const QString& iniKey,
             TLMDIniSaveOptions options, QSize smallestSize = QSize());
    ~TLMDForm() override;

    const QString Section;
    const QString IniKey;
    const TLMDIniSaveOptions IniSaveOptions;

    // Raise what the settings file raises; the event entry points show it.
    void restorePlacement();
    void savePlacement();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    bool restored_ = false; // at the first show, which the program itself asks for
    TLMDIniCtrl* store_;
    QSize smallestSize_;
};
