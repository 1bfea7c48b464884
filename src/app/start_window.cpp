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
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

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
constexpr QRect kMemoDesign(16, 0, 297, 129);
constexpr QRect kButtonDesign(48, 136, 233, 25);

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

    Button5 = new QPushButton(QStringLiteral("Click to Open Damage Editor"), this);
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setGeometry(kButtonDesign);
    Button5->setDefault(true);
    connect(Button5, &QPushButton::clicked, this, shell::guardedSlot(this, &TForm1::Button5Click));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(kMemoDesign);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(kWarningLines.join('\n'));

    setTabOrder(Button5, Memo1);
    Button5->setFocus();

    // Every file too: a copy saved under another name must be found again.
    du2open.setFilter(QStringLiteral("Damage Files|??damage.dat|Dat Files|*.dat|All files|*"));
    du2open.setFilterIndex(1);
    du2open.setDefaultExt(QStringLiteral("dat"));

    LMDIniCtrl1 = new TLMDIniCtrl(this);

    shell::guarded([this] { FormCreate(); });
}

// The warning was laid out for a narrow font. Where the system's is wider, the box grows until
// every line fits on one line and all nine show; the window keeps its margins and centres the
// button below the box.
void TForm1::fitWarningText() {
    const QFontMetrics metrics(Memo1->font());
    int widest = 0;
    for (const QString& line : kWarningLines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins =
        2 * (Memo1->frameWidth() + int(std::ceil(Memo1->document()->documentMargin()))) +
        Memo1->cursorWidth() + 1;
    // Room for the scroll bar too, which lines typed below the warning call.
    const int scrollBar = Memo1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Memo1);
    // A spare line: some systems' fonts lay lines out a pixel taller than their line spacing.
    const int lines = int(kWarningLines.size()) + 1;
    const QSize text(widest + margins + scrollBar, lines * metrics.lineSpacing() + margins);
    const QSize memo = text.expandedTo(kMemoDesign.size());
    const QSize grown = memo - kMemoDesign.size();
    Memo1->resize(memo);
    setFixedSize(kClientSize + grown);
    Button5->move((width() - kButtonDesign.width()) / 2, kButtonDesign.top() + grown.height());
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

// The system's font and style are settled only now: the box is fitted again, and centred.
void TForm1::showEvent(QShowEvent* event) {
    fitWarningText();
    shell::centreOnScreen(this);
    QWidget::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    shell::closeToEnd(event, links_.mayEnd, [this] { FormClose(); });
}
