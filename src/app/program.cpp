#include "program.h"

#include "aircraft_list_window.h"
#include "axis_window.h"
#include "core/part_slots.h"
#include "damage_document.h"
#include "editor_window.h"
#include "hitbox_3d_view.h"
#include "hitbox_editing.h"
#include "outside_files.h"
#include "paint_box.h"
#include "recent_files_menu.h"
#include "reload_watch.h"
#include "settings/form_placement.h"
#include "settings/ini_ctrl.h"
#include "shell/application.h"
#include "shell/deferred_icon_style.h"
#include "shell/error_display.h"
#include "shell/window_placement.h"
#include "side_view.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"
#include "view_backgrounds.h"
#include "view_navigation.h"
#include "view_settings.h"
#include "views/view_sizes.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QSessionManager>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

namespace program {
namespace {

std::unique_ptr<DamageDocument> theDocument;
std::unique_ptr<ViewSettings> theViewSettings;
HitBoxEditing* theEditing = nullptr; // a child of the top view
const QString kEditingSection = QStringLiteral("HBTV");
const QString kEditingKey = QStringLiteral("EditHitBoxes");
const QString kSymmetricKey = QStringLiteral("SymmetricEditing");

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

// Before the program ends, by whichever way: the editor's unsaved-changes question. False when the
// user keeps the program running (or saving failed).
bool askBeforeEnding() {
    bool ending = false;
    shell::guarded([&] { ending = !Form3 || Form3->confirmUnsavedChanges(); });
    return ending;
}

// The end of the session asks about unsaved changes like closing the editor does, where the
// session lets the program ask.
void commitData(QSessionManager& manager) {
    if (!manager.allowsInteraction())
        return;
    const bool ending = askBeforeEnding();
    manager.release();
    if (!ending)
        manager.cancel();
}

// Draws the views at once, `first` before the other, then the 3-D view.
void repaintViews(dm::HitBoxView first) {
    const auto repaint = [](dm::HitBoxView view) {
        if (view == dm::HitBoxView::Top && Form5 != nullptr)
            Form5->pb1Paint();
        else if (view == dm::HitBoxView::Side && Form6 != nullptr)
            Form6->pb2Paint();
    };
    repaint(first);
    repaint(first == dm::HitBoxView::Top ? dm::HitBoxView::Side : dm::HitBoxView::Top);
    if (Form7 != nullptr)
        Form7->repaint();
}

void popUpViewMenu(QPoint at) {
    if (Form5 != nullptr)
        Form5->tvpum->popup(at);
}

// The flat views' way of naming a part, or its slot name where nobody wired them.
std::function<QString(int)> rowCaptionOfTheViews() {
    if (Form5 != nullptr && Form5->pointing().rowCaption)
        return Form5->pointing().rowCaption;
    return [](int slot) { return QString::fromUtf8(dm::kPartSlots[slot].name); };
}

// Created the first time, its placement read from the settings file once; then shown.
void show3dView() {
    if (Form7 == nullptr) {
        // It draws what the top view draws, with the views' grid spacing.
        const HitBoxSource views = Form5 != nullptr ? Form5->source() : HitBoxSource{};
        Form7 = new TForm7({views, rowCaptionOfTheViews(),
                            Form5 != nullptr ? Form5->pointing().decimalSeparator : nullptr});
        Form7->setWindowIcon(shell::fullApplicationIcon());
        Form7->OnMenu = popUpViewMenu;
        if (theEditing != nullptr)
            theEditing->watchHistoryKeys(*Form7);
        new TLMDForm(Form7, Form1 != nullptr ? Form1->LMDIniCtrl1 : nullptr, QStringLiteral("HB3D"),
                     QStringLiteral("Form7"), soPos | soSize | soRestoreOnce);
    }
    shell::showWindow(Form7);
}

void openDroppedFile(const QString& path) {
    Form3->openFile(path);
}

void linkStartWindow() {
    Form1->linkTo({
        [] {
            shell::showWindow(Form5);
            shell::showWindow(Form6);
            shell::showWindow(Form3);
        },
        [] { Form3->fillGrid(); },
        [] { Form3->setEditorCaption(); },
        [] { repaintViews(dm::HitBoxView::Top); },
        [] { return static_cast<QWidget*>(Form3); },
        askBeforeEnding,
    });
}

// Every way of opening a file, and Save As, puts it first in the Recent menu.
void linkRecentFiles(DamageDocument& document) {
    auto* recent = new RecentFilesMenu(
        *Form3->Recent1, {Form1->LMDIniCtrl1, [](const QString& path) { Form3->openFile(path); }});
    QObject::connect(&document, &DamageDocument::recordsChanged, recent,
                     [recent, &document] { recent->add(document.fileName()); });
}

void linkEditor(DamageDocument& document) {
    Form3->linkTo({
        [] { return Form1->Button3Click(); },
        [](const QString& path) { Form1->readFile(path); },
        [] { Form1->Button4Click(); },
        [] { Form1->hide(); },
        [] { return Form1->rememberedFolder(); },
        [] { repaintViews(dm::HitBoxView::Top); },
        [] {
            shell::showInOrder({Form5, Form6});
        },
        [] { shell::showWindow(Form4); },
        [] { shell::showWindow(Form2); },
        show3dView,
        askBeforeEnding,
    });
    // The caption names the current file: a Save As changes it too.
    QObject::connect(&document, &DamageDocument::recordsChanged, Form3,
                     [] { Form3->setEditorCaption(); });
    linkRecentFiles(document);
    new ReloadWatch(*Form3, document,
                    {[] { return Form3->hasUnsavedEdits(); }, [] { Form3->reloadFile(); }});
}

// Each flat view draws its own plan picture, kept per damage file in the settings file; the
// views' popup menu opens the picture's dialog for the view it was opened in.
ViewUnderlays linkViewBackgrounds(const DamageDocument& document) {
    const auto links = [&document](std::function<void()> redraw) {
        return ViewBackground::Links{Form1->LMDIniCtrl1,
                                     [&document] { return document.fileName(); }, std::move(redraw),
                                     &Form5->viewSettings()};
    };
    auto* top =
        new ViewBackground(dm::HitBoxView::Top, *Form5->pb1, links([] { Form5->pb1Paint(); }));
    auto* side =
        new ViewBackground(dm::HitBoxView::Side, *Form6->pb2, links([] { Form6->pb2Paint(); }));
    new BackgroundMenuEntry(*Form5->tvpum, *Form5->BackgroundPicture1, {top, side});
    for (ViewBackground* background : {top, side}) {
        QObject::connect(&document, &DamageDocument::savedAs, background,
                         [background](const QString& name) { background->carryTo(name); });
        // Both views' pictures are read as a file opens, so that their failures are said at once.
        QObject::connect(&document, &DamageDocument::recordsChanged, background,
                         [background] { background->prepare(); });
    }
    return underlaysOf(top, side);
}

// Both views draw the document's part table, marked while its file exists. Pointing at a part in
// a view names it by its grid row and shows that row in the editor.
void linkViewsToTheEditor(const DamageDocument& document) {
    HitBoxSource source;
    source.settings = &Form5->viewSettings();
    source.partTable = &document.PartTable;
    source.fileName = [&document] { return document.fileName(); };
    source.underlay = linkViewBackgrounds(document);
    Form5->drawFrom(source);
    Form6->drawFrom(source);
    const HitBoxPointing pointing{
        [](int slot) { return Form3->StringGrid1->cellText(0, slot + 1); },
        [] { return Form3->StringGrid1->decimalSeparator(); },
        [](int slot) { Form3->showPartRow(slot); }};
    Form5->pointWith(pointing);
    Form6->pointWith(pointing);
}

void updateViews() {
    for (QWidget* view : std::initializer_list<QWidget*>{Form5, Form6, Form7})
        if (view != nullptr)
            view->update();
}

// "Fit": the zoom at which both views show every box, each view centred on them.
void fitViews() {
    ViewSettings& settings = Form5->viewSettings();
    const dm::PartTable& table = Form5->source().table();
    const QSize top = Form5->pb1->size();
    const QSize side = Form6->pb2->size();
    const int zoom =
        std::min(dm::fittingZoom(table, dm::HitBoxView::Top, top.width(), top.height()),
                 dm::fittingZoom(table, dm::HitBoxView::Side, side.width(), side.height()));
    settings.setPan(dm::HitBoxView::Top,
                    dm::centringPan(table, dm::HitBoxView::Top, top.width(), top.height(), zoom));
    settings.setPan(dm::HitBoxView::Side, dm::centringPan(table, dm::HitBoxView::Side, side.width(),
                                                          side.height(), zoom));
    settings.chooseFittedZoom(zoom);
}

// The views' two modes, "Edit Hit Boxes" and "Symmetric Editing": applied and checked in the menu,
// and kept in the settings file as "1" or "0" when the user switches them.
using ModeSetter = void (HitBoxEditing::*)(bool);

void showMode(QAction* entry, ModeSetter apply, bool on) {
    (theEditing->*apply)(on);
    entry->setChecked(on);
}

void switchMode(QAction* entry, ModeSetter apply, const QString& key, bool on) {
    showMode(entry, apply, on);
    Form1->LMDIniCtrl1->WriteString(kEditingSection, key,
                                    on ? QStringLiteral("1") : QStringLiteral("0"));
}

void editHitBoxes(bool on) {
    switchMode(Form5->EditHitBoxes1, &HitBoxEditing::setOn, kEditingKey, on);
}

void symmetricEditing(bool on) {
    switchMode(Form5->SymmetricEditing1, &HitBoxEditing::setSymmetric, kSymmetricKey, on);
}

// Runs `then` once, as `window` first shows.
void onFirstShow(QWidget& window, std::function<void()> then) {
    class FirstShow : public QObject {
    public:
        FirstShow(QWidget& window, std::function<void()> then)
            : QObject(&window), then_(std::move(then)) {
            window.installEventFilter(this);
        }
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show && then_)
                std::exchange(then_, nullptr)();
            return false;
        }

    private:
        std::function<void()> then_;
    };
    new FirstShow(window, std::move(then));
}

void linkGridMirroring() {
    StringGrid& grid = *Form3->StringGrid1;
    QAction* gridEntry = grid.GridMenu->addAction(QStringLiteral("Mirror to Twin"));
    gridEntry->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    gridEntry->setShortcutVisibleInContextMenu(true);
    grid.addAction(gridEntry);
    theEditing->serveMirrorEntry(*gridEntry, *grid.GridMenu);
}

// "Mirror to ..." and Ctrl+M in the views' menu and windows and, once the editor's grid is built
// as it first shows, in the grid's context menu.
void linkMirroring() {
    theEditing->serveMirrorEntry(*Form5->Mirror1, *Form5->tvpum);
    Form6->addAction(Form5->Mirror1);
    onFirstShow(*Form3, [] { shell::guarded(linkGridMirroring); });
}

// Wheel zoom, pan and Home in both views, seen before the editing mode sees the pointer; Open,
// Save and Save As keep their keys there.
void linkNavigation() {
    ViewSettings& settings = Form5->viewSettings();
    new ViewNavigation(dm::HitBoxView::Top, *Form5->pb1, settings);
    new ViewNavigation(dm::HitBoxView::Side, *Form6->pb2, settings);
    // The 3-D view takes only the grid spacing, which the menu's handlers redraw it for.
    QObject::connect(&settings, &ViewSettings::changed, Form5, [] {
        Form5->update();
        Form6->update();
    });
    for (QWidget* view : std::initializer_list<QWidget*>{Form5, Form6})
        view->addActions({Form3->Open1, Form3->Save1, Form3->SaveAs1});
}

// The mode as the settings file left it; the views draw the document until it is on.
void linkEditingInTheViews(const DamageDocument& document) {
    theEditing =
        new HitBoxEditing({[]() -> StringGrid& { return *Form3->StringGrid1.get(); }, &document,
                           [](const HitBoxSource& source) {
                               Form5->drawFrom(source);
                               Form6->drawFrom(source);
                               if (Form7 != nullptr)
                                   Form7->drawFrom(source);
                           },
                           Form5->source(), updateViews,
                           [] {
                               if (Form7 != nullptr)
                                   Form7->update();
                           }},
                          Form5);
    theEditing->watch(*Form5->pb1, *Form5, dm::HitBoxView::Top);
    theEditing->watch(*Form6->pb2, *Form6, dm::HitBoxView::Side);
    const auto stored = Form1->LMDIniCtrl1->ReadValues(
        kEditingSection, {kEditingKey.toStdString(), kSymmetricKey.toStdString()});
    if (stored[0] == "1")
        showMode(Form5->EditHitBoxes1, &HitBoxEditing::setOn, true);
    if (stored[1] == "1")
        showMode(Form5->SymmetricEditing1, &HitBoxEditing::setSymmetric, true);
    linkMirroring();
}

} // namespace

void linkHitBoxViews() {
    Form5->linkTo({[] { repaintViews(dm::HitBoxView::Top); },
                   [](const QString& caption) {
                       if (Form6 != nullptr)
                           Form6->setWindowTitle(caption);
                   },
                   show3dView, editHitBoxes, fitViews, symmetricEditing});
    Form6->linkTo({[] { repaintViews(dm::HitBoxView::Side); }, popUpViewMenu});
}

DamageDocument& document() {
    return *theDocument;
}

void createWindows() {
    shell::setApplicationTitle(QStringLiteral("DU2 Aircraft Damage Editor"));
    QApplication::setWindowIcon(shell::applicationIcon());
    // The program ends when the editor or the main window closes, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new shell::DeferredIconStyle);

    theDocument = std::make_unique<DamageDocument>();
    Form1 = new TForm1(*theDocument);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, Form1, commitData);
    Form2 = new TForm2;
    Form3 = new TForm3(*theDocument, Form1->LMDIniCtrl1);
    Form4 = new TForm4;
    theViewSettings = std::make_unique<ViewSettings>();
    Form5 = new TForm5(*theViewSettings);
    attachPlacementKeeper(Form5, "HBTV", "Form5", views::kTopViewDesignSize);
    Form6 = new TForm6(*theViewSettings);
    attachPlacementKeeper(Form6, "HBSV", "Form6", views::kSideViewDesignSize);

    linkStartWindow();
    linkEditor(*theDocument);
    linkHitBoxViews();
    linkViewsToTheEditor(*theDocument);
    linkEditingInTheViews(*theDocument);
    linkNavigation();
    for (QWidget* window : std::initializer_list<QWidget*>{Form3, Form5, Form6})
        outside::acceptDroppedFiles(window, openDroppedFile);
    for (QWidget* window : std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6})
        window->setWindowIcon(shell::fullApplicationIcon());
}

void showMainWindow() {
    shell::guarded([] { shell::showWindow(Form1); });
}

void openAtStart(const QString& fileName) {
    shell::guarded([] { Form1->Button5Click(); });
    shell::guarded([&fileName] { Form3->openFile(QFileInfo(fileName).absoluteFilePath()); });
}

void destroyWindows() {
    if (theDocument)
        shell::guarded([] { theDocument->close(); });
    theEditing = nullptr; // goes with the top view
    destroyWindow(Form7); // created last, on demand, if at all
    destroyWindow(Form6);
    destroyWindow(Form5);
    destroyWindow(Form4);
    destroyWindow(Form3);
    destroyWindow(Form2);
    destroyWindow(Form1);
    theViewSettings.reset();
}

} // namespace program
