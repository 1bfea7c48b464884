#include "start_window.h"

#include "damage_document.h"
#include "file_names.h"
#include "settings/ini_ctrl.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/file_attributes.h"
#include "shell/window_close.h"
#include "shell/window_placement.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

TForm1* Form1 = nullptr;

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

TForm1::TForm1(DamageDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      document_(document) {
    setWindowTitle(QStringLiteral("RO3z Damage Editor 26Vad01"));
    setFont(shell::classicFont());
    setFixedSize(kClientSize);
    shell::centreOnScreen(this);

    Button5 = new QPushButton(QStringLiteral("Click to Open Damage Editor"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setGeometry(48, 136, 233, 25);
    Button5->setDefault(true);
    connect(Button5, &QPushButton::clicked, this, shell::guardedSlot(this, &TForm1::Button5Click));

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
    if (!du2open.execute(links_.dialogParent ? links_.dialogParent() : nullptr))
        return false;
    readFile(du2open.fileName());
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
    document_.open(chosen);
}

void TForm1::Button4Click() {
    links_.fillGrid();
    links_.setEditorCaption();
    links_.repaintViews();
}

void TForm1::Button5Click() {
    hide();
    links_.showEditorAndViews();
}

void TForm1::FormClose() {
    document_.close();
    shell::terminate();
}

void TForm1::closeEvent(QCloseEvent* event) {
    shell::closeToEnd(event, links_.mayEnd, [this] { FormClose(); });
}
