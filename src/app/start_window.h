#pragma once

#include "shell/file_dialog.h"

#include <QWidget>

#include <functional>

class DamageDocument;
class QPlainTextEdit;
class QPushButton;
class TLMDIniCtrl;

// What the start window does to the other windows, given by the program's wiring.
struct StartWindowLinks {
    // The start button: the views and the editor come up.
    std::function<void()> showEditorAndViews;
    // Fill and show: the grid from the part table, the editor's caption, both views.
    std::function<void()> fillGrid;
    std::function<void()> setEditorCaption;
    std::function<void()> repaintViews;
    // The window the open dialog belongs to.
    std::function<QWidget*()> dialogParent;
    // Whether the program may end now; asked before the window closes.
    std::function<bool()> mayEnd;
};

// The start window and the program's main window: the warning text, the start button, the open
// dialog and the settings store.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    TForm1(DamageDocument& document, QWidget* parent = nullptr);

    void linkTo(StartWindowLinks links) { links_ = std::move(links); }

    QPlainTextEdit* Memo1;
    QPushButton* Button5;
    shell::FileDialog du2open{shell::FileDialogKind::Open};
    TLMDIniCtrl* LMDIniCtrl1;

    void FormCreate();
    // The folder of the last file chosen in the open dialog, from the settings.
    QString rememberedFolder() const;
    void Button5Click();
    // Choose and read: the open dialog in the remembered folder, then readFile. A cancelled
    // dialog changes nothing. True when a file was read.
    bool Button3Click();
    // The named file into the part table and the header buffer, its folder remembered; it becomes
    // the current damage file. A failed read leaves the previous file current, with the table and
    // the header as they were.
    void readFile(const QString& chosen);
    // Fill and show: the grid from the part table, the editor's caption, both views.
    void Button4Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitWarningText();

    DamageDocument& document_;
    StartWindowLinks links_;
};

extern TForm1* Form1;
