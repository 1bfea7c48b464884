#pragma once

#include <QMainWindow>

class QAction;
class QMenuBar;
class TLMDAboutDlg;
class TLMDApplicationCtrl;
class TLMDForm;

// The editor window: the menu bar, and what the editor's commands build on.
class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    QMenuBar* MainMenu1;
    QAction* Open1;
    QAction* Save1;
    QAction* SaveAs1;
    QAction* hitbox;
    QAction* AircraftList1;
    QAction* DamageAxis1;
    QAction* About1;
    TLMDAboutDlg* LMDAboutDlg1;
    TLMDApplicationCtrl* LMDApplicationCtrl1;
    TLMDForm* LMDForm1;

    void FormCreate();
    // "Editing DM File: " and the name, without its folder, last chosen in the open dialog.
    void setEditorCaption();
    void hitboxClick();
    void AircraftList1Click();
    void DamageAxis1Click();
    void About1Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TForm3* Form3;
