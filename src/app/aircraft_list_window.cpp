#include "aircraft_list_window.h"

#include "core/text_file.h"
#include "file_names.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/window_placement.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm4* Form4 = nullptr;

namespace {

const QString kListFileName = QStringLiteral("DM File List.txt");

// The first placement, frame included: left 945, top 171, 260 x 631.
dm::Placement firstPlacement() {
    dm::Placement placement;
    placement.left = 945;
    placement.top = 171;
    placement.right = 945 + 260;
    placement.bottom = 171 + 631;
    return placement;
}

} // namespace

QString builtInAircraftList() {
    static const char* const lines[] = {
        "AIRCRAFT = DAMAGE FILE",
        "Fokker E III = 00damage.dat",
        "Aviatik C I = 01damage.dat",
        "Albatros C III = 02damage.dat",
        "Roland CL II = 03damage.dat",
        "Albatros D II = 04damage.dat",
        "Halberstadt D II = 05damage.dat",
        "Albatros D III = 06damage.dat",
        "Rumpler C IV = 07damage.dat",
        "Albatros D Va = 08damage.dat",
        "Gotha G IV = 09damage.dat",
        "Fokker DrI = 0adamage.dat",
        "Hannover CL III = 0bdamage.dat",
        "Pfalz DIII = 0cdamage.dat",
        "Halberstadt CL II = 0ddamage.dat",
        "Fokker D VII = 0fdamage.dat",
        "Pfalz D XII = 10damage.dat",
        "Morane Saulnire \"N\" = 13damage.dat",
        "Nieuport 11 = 14damage.dat",
        "Nieuport 17 = 15damage.dat",
        "Spad 7 = 17damage.dat",
        "Nieuport 24 = 18damage.dat",
        "Salmson 2a2 = 19damage.dat",
        "Breguet 14 = 1adamage.dat",
        "Spad 13 = 1bdamage.dat",
        "Nieuport 28 = 1cdamage.dat",
        "B.E.2c = 1ddamage.dat",
        "D.H.2 = 1edamage.dat",
        "F.E.2b = 1fdamage.dat",
        "Sopwith 1 1/2 = 20damage.dat",
        "Sopwith Pup = 21damage.dat",
        "Sopwith Triplane = 22damage.dat",
        "R.E.8 = 23damage.dat",
        "Sopwith Camel = 24damage.dat",
        "S.E.5a = 25damage.dat",
        "D.H.4 = 26damage.dat",
        "Handley Page 0/400 = 27damage.dat",
        "Sopwith Snipe = 28 damage.dat",
        "Bristol Fighter = 2adamage.dat",
        " ",
    };
    QString text;
    for (const char* line : lines)
        text += QLatin1String(line) + QLatin1String("\r\n");
    return text;
}

TForm4::TForm4(QWidget* parent) : TForm4(shell::dataFolder(), parent) {}

TForm4::TForm4(const QString& listFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), listFolder_(listFolder), listText_(builtInAircraftList()) {
    setWindowTitle(QStringLiteral("Aircraft Damage Files List"));
    shell::setWindowPlacement(this, firstPlacement());
    shell::guarded([this] { FormCreate(); });
}

void TForm4::FormCreate() {
    const QString path = listFolder_ + kListFileName;
    const std::string bytes = dm::readWholeFile(nativePath(path));
    listText_ = QString::fromStdString(dm::windows1252ToUtf8(bytes));
    if (LMDMemo1.built())
        LMDMemo1->setPlainText(listText_);
}

QPlainTextEdit* TForm4::buildMemo() {
    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("LMDMemo1"));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    memo->setPlainText(listText_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo);
    return memo;
}

void TForm4::setVisible(bool visible) {
    if (visible)
        LMDMemo1.get();
    QWidget::setVisible(visible);
}

// The frame around the window is known better once it is first shown; the outer size is what
// counts.
void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    shell::guarded([this] {
        if (placed_)
            return;
        placed_ = true;
        shell::setWindowPlacement(this, firstPlacement());
    });
}
