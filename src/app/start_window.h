#pragma once

#include "core/damage_file.h"
#include "shell/file_dialog.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class TLMDIniCtrl;

// The start window and the program's main window: the warning text, the start button, the open
// dialog and the settings store.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

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
    // the current damage file and the dialog's name. A failed read leaves the previous file
    // current, with the table, the header and the dialog's name as they were.
    void readFile(const QString& chosen);
    // Fill and show: the grid from the part table, the editor's caption, both views.
    void Button4Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TForm1* Form1;

// Process-wide damage file state: the records of the file last read, its 100-byte header, and the
// file itself, held open from a successful Open to the next Open or the end of the program.
extern dm::PartTable PartTable;
extern dm::DamageFileHeader DamageFileHeader;
extern dm::DamageFile CurrentDamageFile;

// Closes the current damage file if one is open.
void closeCurrentDamageFile();
