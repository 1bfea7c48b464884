#include "start_window.h"

#include "editor_window.h"
#include "file_names.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/file_attributes.h"
#include "shell/window_placement.h"
#include "settings/ini_ctrl.h"
#include "side_view.h"
#include "string_grid.h"
#include "top_view.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

TForm1* Form1 = nullptr;

dm::PartTable PartTable{};
dm::DamageFileHeader DamageFileHeader{};
dm::DamageFile CurrentDamageFile;

namespace {

const QStringList kWarningLines = {
    QStringLiteral("Use this editor at your own risk."),
    QStringLiteral("Make a backup of all of your damage.dat files before "),
    QStringLiteral("using this tool."),
    QStringLiteral("Enter data carefully, there is limited range checking "),
    QStringLiteral("and bad data (I.E. byte entries >255) will cause the program "),
    QStringLiteral("to crash."),
    QStringLiteral("Remember to SAVE when you are done with all of your "),
    QStringLiteral("changes to a file."),
    QStringLiteral("Good luck!"),
};

constexpr QSize kClientSize(330, 174);

const QString kFileSettings = QStringLiteral("file settings");
const QString kInitDirect = QStringLiteral("initdirect");
const QString kDefaultFolder = QStringLiteral("c:\\");

} // namespace

void closeCurrentDamageFile() {
    if (CurrentDamageFile.isOpen())
        CurrentDamageFile.close();
}

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("RO3z Damage Editor 26Vad01"));
    setFont(shell::classicFont());
    setFixedSize(kClientSize);
    shell::centreOnScreen(this);

    Button5 = new QPushButton(QStringLiteral("Click to Open Damage Editor"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setGeometry(48, 136, 233, 25);
    Button5->setDefault(true);
    connect(Button5, &QPushButton::clicked, this,
            shell::guardedSlot(this, &TForm1::Button5Click));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 0, 297, 129);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(kWarningLines.join('\n'));

    setTabOrder(Button5, Memo1);
    Button5->setFocus();

    du2open.setFilter(QStringLiteral("Damage Files|??damage.dat|Dat Files|*.dat"));
    du2open.setFilterIndex(1);
    du2open.setDefaultExt(QStringLiteral("dat"));

    LMDIniCtrl1 = new TLMDIniCtrl(this);

    shell::guarded([this] { FormCreate(); });
}

void TForm1::FormCreate() {
    du2open.setInitialDir(rememberedFolder());
}

QString TForm1::rememberedFolder() const {
    return LMDIniCtrl1->ReadString(kFileSettings, kInitDirect, kDefaultFolder);
}

bool TForm1::Button3Click() {
    du2open.setInitialDir(rememberedFolder());
    const QString previous = du2open.fileName();
    if (!du2open.execute(Form3))
        return false;
    const QString chosen = du2open.fileName();
    // The caption and the views' markers follow the dialog's name: until the file has been read
    // it must keep naming the file the grid shows.
    du2open.setFileName(previous);
    readFile(chosen);
    return true;
}

void TForm1::readFile(const QString& chosen) {
    // A read-only file must become writable, or Save could not write into it later.
    if (shell::fileAttributes(chosen).value_or(0) != 0)
        shell::clearFileAttributes(chosen);
    // A line break cannot be kept in the settings file: such a folder is not remembered.
    const QString folder = folderOfFileName(chosen);
    if (!folder.contains('\n') && !folder.contains('\r'))
        LMDIniCtrl1->WriteString(kFileSettings, kInitDirect, folder);
    CurrentDamageFile.open(localPath(chosen), DamageFileHeader, PartTable);
    du2open.setFileName(chosen);
}

void TForm1::Button4Click() {
    StringGrid* grid = Form3->StringGrid1;
    grid->fillValueCells(dm::fillCells(PartTable, grid->decimalSeparator().toStdString()));
    // The grid now shows the table exactly: whatever was typed is gone, and so are its changes.
    grid->clearMarker();
    Form3->setEditorCaption();
    repaintHitBoxViews();
}

void TForm1::Button5Click() {
    hide();
    shell::showWindow(Form5);
    shell::showWindow(Form6);
    shell::showWindow(Form3);
}

void TForm1::FormClose() {
    closeCurrentDamageFile();
    shell::terminate();
}

void TForm1::closeEvent(QCloseEvent* event) {
    closeToEnd(event, [this] { FormClose(); });
}
