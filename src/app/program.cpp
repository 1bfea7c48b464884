#include "program.h"

#include "aircraft_list_window.h"
#include "axis_window.h"
#include "editor_window.h"
#include "hitbox_3d_view.h"
#include "outside_files.h"
#include "shell/application.h"
#include "shell/deferred_icon_style.h"
#include "shell/error_display.h"
#include "settings/form_placement.h"
#include "side_view.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"
#include "views/view_sizes.h"

#include <QApplication>
#include <QSessionManager>

namespace program {
namespace {

// A view's stored size never falls below its design size.
void attachPlacementKeeper(QWidget* window, const char* section, const char* key,
                           QSize designSize) {
    new TLMDForm(window, Form1->LMDIniCtrl1, QLatin1String(section), QLatin1String(key),
                 soPos | soSize, designSize);
}

// Hides the window, lets its placement keeper store the placement, then destroys the window.
template <class Window> void destroyWindow(Window*& window) {
    if (!window)
        return;
    shell::guarded([window] { window->hide(); });
    const auto keepers = window->template findChildren<TLMDForm*>(Qt::FindDirectChildrenOnly);
    for (TLMDForm* keeper : keepers)
        delete keeper;
    delete window;
    window = nullptr;
}

// The end of the session asks about unsaved changes like closing the editor does, where the session
// lets the program ask.
void commitData(QSessionManager& manager) {
    if (!manager.allowsInteraction())
        return;
    const bool ending = askBeforeEnding();
    manager.release();
    if (!ending)
        manager.cancel();
}

} // namespace

void createWindows() {
    shell::setApplicationTitle(QStringLiteral("DU2 Aircraft Damage Editor"));
    QApplication::setWindowIcon(shell::applicationIcon());
    // The program ends when the editor or the main window closes, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new shell::DeferredIconStyle);

    Form1 = new TForm1;
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, Form1, commitData);
    Form2 = new TForm2;
    Form3 = new TForm3;
    Form4 = new TForm4;
    // Both views draw the start window's part table, marked while its opened file exists.
    const HitBoxSource viewSource{&PartTable,
                                  [start = Form1] { return start->du2open.fileName(); }};
    Form5 = new TForm5;
    Form5->drawFrom(viewSource);
    attachPlacementKeeper(Form5, "HBTV", "Form5", views::kTopViewDesignSize);
    Form6 = new TForm6;
    Form6->drawFrom(viewSource);
    attachPlacementKeeper(Form6, "HBSV", "Form6", views::kSideViewDesignSize);
    // Pointing at a part in a view names it by its grid row and shows that row in the editor.
    const HitBoxPointing pointing{
        [](int slot) { return Form3->StringGrid1->cellText(0, slot + 1); },
        [] { return Form3->StringGrid1->decimalSeparator(); },
        [](int slot) { Form3->showPartRow(slot); }};
    Form5->pointWith(pointing);
    Form6->pointWith(pointing);
    for (QWidget* window : std::initializer_list<QWidget*>{Form3, Form5, Form6})
        outside::acceptDroppedFiles(window);
    for (QWidget* window : std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6})
        window->setWindowIcon(shell::fullApplicationIcon());
}

void showMainWindow() {
    shell::guarded([] { Form1->show(); });
}

void destroyWindows() {
    shell::guarded([] { closeCurrentDamageFile(); });
    destroyWindow(Form7); // created last, on demand, if at all
    destroyWindow(Form6);
    destroyWindow(Form5);
    destroyWindow(Form4);
    destroyWindow(Form3);
    destroyWindow(Form2);
    destroyWindow(Form1);
}

} // namespace program
