#include "app/MainWindow.h"

#include "app/PdfExport.h"
#include "app/PublishDialog.h"
#include "app/QtNativeEdit.h"
#include "app/WidgetNames.h"
#include "app/Settings.h"
#include "document/OutputGuard.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "items/LayoutResources.h"
#include "items/NoteItem.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ItemFactories.h"
#include "platform/ModalScope.h"
#include "platform/Paths.h"
#include "platform/Screens.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDropEvent>
#include <QMimeData>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

using namespace BarName;
using namespace PropertyName;

// The smallest grid interval the grid-size box shows.
constexpr float kMinGridInterval = 0.03125f;
// Room a new window leaves for the window manager's frame around it.
constexpr QSize kFrameAllowance { 16, 48 };

QString Caption()
{
    return kPromptCaption.toString();
}

QString BoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// "0x%x" of an opaque grey of the level.
QString GreyColourText(int level)
{
    const quint32 colour = 0xFF000000u + static_cast<quint32>(level) * 0x010101u;
    return QStringLiteral("0x") + QString::number(colour, 16);
}

int RoundHalfUp(float value)
{
    return static_cast<int>(std::floor(value + 0.5f));
}

// Events that do not begin a new idle period: pointer moves, painting and timers.
bool StartsIdlePeriod(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::Timer:
        return false;
    default:
        return true;
    }
}

// What the user does with the mouse, the wheel, the keys and drops.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

}

MainWindow::MainWindow()
    : m_client(new QWidget(this))
    , m_tool_bar(new CanvasWidget(CanvasKind::Panel, m_client))
    , m_page_bar(new CanvasWidget(CanvasKind::Panel, m_client))
    , m_page_view(new PageCanvasWidget(m_client))
    , m_pages(m_page_view->GetCanvas(), *this)
    , m_import(std::make_unique<ImageImport>(static_cast<PageWindow&>(*this)))
    , m_page_saver(std::make_unique<PageImageSaver>(static_cast<PageWindow&>(*this)))
    , m_modes(std::make_unique<WindowModes>(static_cast<WindowModesHost&>(*this)))
    , m_box_focus(std::make_unique<BarBoxFocus>(*m_tool_bar, *m_page_bar, *m_page_view))
    , m_actions(std::make_unique<WindowActions>(*this))
    , m_page_menu(std::make_unique<PageContextMenu>(*this, *m_import, *m_modes, m_actions->Registry()))
{
    // Clearing the switch window's check box turns click-through off, as the menu does.
    m_modes->SetSwitchOffHandler([this] { Actions().Trigger(ActionId::TransparentWindow); });
    ItemFactories::RegisterAll();
    // The edit boxes of the bars edit in native text fields.
    QtNativeEdit::Install();
    setWindowTitle(QStringLiteral("Tessary by Veldran"));
    setWindowIcon(QIcon(ProgramFolder() + QStringLiteral("resource/icon.png")));
    setCentralWidget(m_client);
    m_client->setMinimumSize(kMinClientWidth, kMinClientHeight);
    m_scroller = new PageScroller(*m_page_view, *m_client);
    m_page_view->setObjectName(QStringLiteral("PageCanvas"));
    m_tool_bar->setObjectName(QStringLiteral("ToolBar"));
    m_page_bar->setObjectName(QStringLiteral("PageBar"));

    // Files and pictures can be dropped anywhere on the window.
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::OnAboutToBlock);
    m_actions->BuildMenu(*menuBar());

    if (!BuildBars()) {
        FailLayout();
        return;
    }
    BindBars();
    auto bar_handler = [this](const ItemEvent& event) { return m_binding->HandleEvent(event); };
    m_tool_bar->GetCanvas().SetEventHandler(bar_handler);
    m_page_bar->GetCanvas().SetEventHandler(bar_handler);
    PageCanvas().SetEventHandler([this](const ItemEvent& event) { return m_actions->HandlePageEvent(event); });
    PageCanvas().SetFileUseCheck([this](const QString& path) {
        switch (OutputGuard::CheckShownNote(path, m_pages.Document(), PageCanvas()).clash) {
        case OutputGuard::Clash::Note:
            return Canvas::FileUse::Document;
        case OutputGuard::Clash::Image:
            return Canvas::FileUse::Image;
        case OutputGuard::Clash::None:
            break;
        }
        return Canvas::FileUse::None;
    });
    connect(m_page_view, &PageCanvasWidget::ContextMenuRequested, this,
        [this](QPoint position) { m_page_menu->Show(position); });
    // Whatever a message did to the page's items is recorded from the page's content once the
    // message has been dealt with.
    connect(m_page_view, &PageCanvasWidget::MessageHandled, this, [this](MessageKind kind) {
        if (kind != MessageKind::MouseMove)
            RecordPageChanges(kind == MessageKind::MouseWheel ? ChangeCause::Wheel : ChangeCause::Other);
    });
    // The first sizing also sets the page resolution, which changes the scale.
    connect(m_page_view, &PageCanvasWidget::Resized, this, [this] {
        if (CentrePage())
            RepaintPageCanvas();
    });

    PlaceNewWindow();
    LayOutCanvases();
    if (!m_pages.ClearNote() || !m_valid)
        return;
    ApplyFirstPageSize();
    ApplyViewZoom();
    ApplyGridDivisions();
}

void MainWindow::BindBars()
{
    m_binding = std::make_unique<BarBinding>(m_tool_bar->GetCanvas(), m_page_bar->GetCanvas(), m_view, Actions());
    m_binding->AdoptLayoutValues();
    connect(&m_view, &ViewState::LockChanged, this, [this] {
        m_page_view->SetInputBlocked(m_view.Locked());
        ShowCommandStates();
    });
    connect(&m_view, &ViewState::GridChanged, this, [this] {
        if (ApplyGrid())
            RepaintPageCanvas();
        ApplyGridDivisions();
    });
    connect(&m_view, &ViewState::SnapChanged, this, &MainWindow::PublishSnapGrid);
    connect(&m_view, &ViewState::ColoursChanged, this, [this] {
        const bool background = ApplyBackgroundColour(Repaint::No);
        if (ApplyFrameColour(Repaint::No) || background)
            RepaintPageCanvas();
    });
    connect(m_binding.get(), &BarBinding::PageNumberEntered, this, [this](int number) { m_pages.GoTo(number - 1); });
    connect(m_binding.get(), &BarBinding::PageWidthEntered, this, [this](int width) { CommitViewerSize(Qt::Horizontal, width); });
    connect(m_binding.get(), &BarBinding::PageHeightEntered, this, [this](int height) { CommitViewerSize(Qt::Vertical, height); });
    connect(m_binding.get(), &BarBinding::ZoomEntered, this, [this](std::optional<int> percent) {
        m_view.SetZoomMode(percent ? ViewState::ZoomMode::Fixed : ViewState::ZoomMode::Fit);
        if (percent)
            m_view.SetZoom(static_cast<float>(*percent) / 100.0f);
        ApplyViewZoom();
        RepaintPageCanvas();
        ShowZoom();
    });
    connect(m_binding.get(), &BarBinding::DpiEntered, this, &MainWindow::CommitDpi);
    // The colour key follows the new colour.
    connect(m_binding.get(), &BarBinding::BackgroundChosen, this, [this] { m_modes->ReapplyTransparency(); });
}

void MainWindow::PlaceNewWindow()
{
    if (const std::optional<QByteArray> kept = Settings::WindowGeometry(); kept && restoreGeometry(*kept))
        return;
    const int menu_height = menuBar()->sizeHint().height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(kDefaultClientSize.width(), kDefaultClientSize.height() + menu_height);
        return;
    }
    const QRect work_area = screen->availableGeometry();
    const QSize room = work_area.size() - kFrameAllowance - QSize(0, menu_height);
    const QSize client = kDefaultClientSize.boundedTo(room).expandedTo(QSize(kMinClientWidth, kMinClientHeight));
    resize(client.width(), client.height() + menu_height);
    // Centred with the frame the window manager will add, which a window not yet shown does
    // not know.
    move(CenteredPosition(size() + kFrameAllowance, work_area, work_area));
}

// The screen's own size is its size in its pixels, so a page of it fills the screen pixel for
// pixel also where the desktop is scaled.
void MainWindow::ApplyFirstPageSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize own = screen ? (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize() : QSize(800, 600);
    const QSize page = Settings::PageSize().value_or(own);
    PageCanvas().SetLayoutSize(std::clamp(page.width(), 1, kMaxViewerSide), std::clamp(page.height(), 1, kMaxViewerSide));
    ShowViewerSize();
    m_binding->OfferPageSize(own);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // The canvases go first, while the window they report to is still whole.
    for (CanvasWidget* widget : { static_cast<CanvasWidget*>(m_tool_bar), static_cast<CanvasWidget*>(m_page_bar),
                                  static_cast<CanvasWidget*>(m_page_view) })
        widget->GetCanvas().SetEventHandler(nullptr);
    delete m_client;
}

bool MainWindow::BuildBars()
{
    return BuildLayout(m_tool_bar->GetCanvas(), LayoutResource::ToolBar, ProgramFolder())
        && BuildLayout(m_page_bar->GetCanvas(), LayoutResource::PageBar, ProgramFolder());
}

void MainWindow::FailLayout()
{
    if (!m_valid)
        return;
    m_valid = false;
    Prompt().ShowMessage(QStringLiteral("リソース読み込みに失敗しました。"), Caption(), MessageIcon::Error);
    close();
}

void MainWindow::LayOutCanvases()
{
    const int width = m_client->width();
    const int height = m_client->height();
    if (m_modes->IsFullScreen()) {
        m_tool_bar->setGeometry(0, -kBarHeight, width, 0);
        m_page_bar->setGeometry(0, -kBarHeight, width, 0);
    } else {
        m_tool_bar->setGeometry(0, 0, width, kBarHeight);
        m_page_bar->setGeometry(0, height - kBarHeight, width, kBarHeight);
    }
    if (CentrePage())
        RepaintPageCanvas();
}

void MainWindow::ViewResized()
{
    LayOutCanvases();
    CentrePage();
    RepaintPageCanvas();
}

void MainWindow::RestoreViewScale()
{
    PageCanvas().SetDpi(static_cast<float>(std::clamp(m_view.Dpi(), kMinDpi, kMaxDpi)));
    ApplyViewZoom();
}

QRect MainWindow::PageArea() const
{
    if (m_modes->IsFullScreen())
        return m_client->rect();
    return QRect(0, kBarHeight, m_client->width(), std::max(0, m_client->height() - 2 * kBarHeight));
}

bool MainWindow::ResetPageCanvas(Repaint repaint)
{
    Canvas& canvas = PageCanvas();
    canvas.Clear();
    if (!BuildLayout(canvas, LayoutResource::Frame, ProgramFolder())) {
        FailLayout();
        return false;
    }
    // A rebuilt frame keeps the grid's visibility and divisions as the window shows them.
    ApplyGrid();
    ApplyBackgroundColour(Repaint::No);
    ApplyFrameColour(Repaint::No);
    if (repaint == Repaint::Yes)
        RepaintPageCanvas();
    return true;
}

void MainWindow::RepaintPageCanvas()
{
    Canvas& canvas = PageCanvas();
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    canvas.Present(PresentScope::All, UpdateTiming::Now);
}

void MainWindow::ShowPageCounter()
{
    if (m_binding)
        m_binding->ShowPageCounter(m_pages.Current(), m_pages.Count());
    ShowCommandStates();
}

void MainWindow::NoteCleared()
{
    m_unread_notice.Reset();
    ShowGridDivisions();
    m_view.SetLocked(false);
}

void MainWindow::ShowZoom()
{
    m_view.SetZoom(PageCanvas().Zoom());
}

void MainWindow::ShowResolution()
{
    m_view.SetDpi(RoundHalfUp(PageCanvas().Dpi()));
}

void MainWindow::ShowViewerSize()
{
    m_view.SetPageSize(QSize(static_cast<int>(PageCanvas().LayoutWidth()), static_cast<int>(PageCanvas().LayoutHeight())));
}

// A chosen zoom zooms about the view's centre; fitting makes the zoom follow the window.
void MainWindow::ApplyViewZoom()
{
    const float zoom = m_view.FitsZoom() ? m_scroller->FitZoom(PageArea()) : m_view.Zoom();
    m_scroller->ZoomAbout(zoom, QRectF(m_page_view->rect()).center());
    CentrePage();
}

void MainWindow::ToggleLock()
{
    m_view.SetLocked(!m_view.Locked());
}

void MainWindow::ShowCommandStates()
{
    if (!m_actions || !m_valid)
        return;
    m_actions->Registry().Refresh();
    if (m_binding)
        m_binding->ShowCommandStates();
}

void MainWindow::ShowGridDivisions()
{
    float interval = 0;
    if (!PageCanvas().GetItemPropertyFloat(FrameName::kGrid, kInterval, interval) || interval <= 0)
        return;
    interval = std::max(interval, kMinGridInterval);
    m_view.SetGridDivisions(static_cast<int>(1.0f / interval));
}

bool MainWindow::ApplyGrid()
{
    const int divisions = m_view.GridDivisions();
    Canvas& canvas = PageCanvas();
    const bool visible = canvas.SetItemProperty(FrameName::kGrid, kVisible, BoolText(m_view.GridVisible()));
    const bool interval = canvas.SetItemProperty(FrameName::kGrid, kInterval, FormatGeneral(divisions > 0 ? 1.0 / divisions : 1.0));
    return visible || interval;
}

void MainWindow::ApplyGridDivisions()
{
    const int divisions = m_view.GridDivisions();
    m_snap_x.clear();
    m_snap_y.clear();
    const float width = PageCanvas().LayoutWidth();
    const float height = PageCanvas().LayoutHeight();
    for (int index = 0; index < divisions; ++index) {
        m_snap_x.push_back(static_cast<float>(index) * width / static_cast<float>(divisions));
        m_snap_y.push_back(static_cast<float>(index) * height / static_cast<float>(divisions));
    }
    PublishSnapGrid();
}

void MainWindow::ToggleSnap()
{
    m_view.SetSnap(!m_view.SnapOn());
}

// The page's items read the snap lines from their canvas.
void MainWindow::PublishSnapGrid()
{
    PageCanvas().SetSnapGrid({ m_view.SnapOn(), m_snap_x, m_snap_y });
}

int MainWindow::BackgroundLevel() const
{
    return m_view.BackgroundLevel();
}

bool MainWindow::ApplyBackgroundColour(Repaint repaint)
{
    const int level = BackgroundLevel();
    m_modes->SetColourKey(static_cast<quint32>(level) * 0x010101u);
    const bool changed = PageCanvas().SetItemProperty(FrameName::kClient, kColor, GreyColourText(level));
    if (changed && repaint == Repaint::Yes)
        RepaintPageCanvas();
    return changed;
}

bool MainWindow::ApplyFrameColour(Repaint repaint)
{
    const QString colour = GreyColourText(m_view.FrameLevel());
    bool changed = false;
    for (const QString& name : { FrameName::kGrid, FrameName::kLeft, FrameName::kTop, FrameName::kRight, FrameName::kBottom })
        changed |= PageCanvas().SetItemProperty(name, kColor, colour);
    if (changed && repaint == Repaint::Yes)
        RepaintPageCanvas();
    return changed;
}

void MainWindow::ShowStatus(QPoint global_pointer)
{
    QString status;
    const Canvas& canvas = PageCanvas();
    const QPoint pointer = m_page_view->mapFromGlobal(global_pointer);
    if (m_page_view->isVisible() && m_page_view->rect().contains(pointer)) {
        // The topmost note item under the pointer tells its status.
        const QPointF point = canvas.ToPage(QPointF(pointer));
        const std::vector<Item*> items = NoteItemsOf(canvas);
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            const Item* item = *it;
            if (item->IsShown() && item->GetBounds().contains(point)) {
                item->GetProperty(kStatus, status);
                break;
            }
        }
    }
    m_binding->ShowStatus(status);
}

bool MainWindow::CentrePage()
{
    const QRect area = PageArea();
    const bool zoomed = m_view.FitsZoom() && PageCanvas().SetZoom(m_scroller->FitZoom(area));
    return m_scroller->Place(area) || zoomed;
}

// The neighbouring entry by value, so that a zoom that is not in the list (from full screen,
// from fitting) steps to the nearest entry in the direction asked.
void MainWindow::ZoomStep(int direction, std::optional<QPointF> view_point)
{
    const int current = RoundHalfUp(PageCanvas().Zoom() * 100.0f);
    std::optional<int> next;
    for (const int percent : m_binding->ZoomPercents()) {
        if (direction > 0 ? percent <= current : percent >= current)
            continue;
        if (!next || (direction > 0 ? percent < *next : percent > *next))
            next = percent;
    }
    if (!next)
        return;
    m_view.SetZoomMode(ViewState::ZoomMode::Fixed);
    m_scroller->ZoomAbout(static_cast<float>(*next) / 100.0f, view_point.value_or(QRectF(m_page_view->rect()).center()));
    ShowZoom();
}

std::optional<QPointF> MainWindow::PagePointUnder(QPointF global_point) const
{
    const QPointF point = m_page_view->mapFromGlobal(global_point);
    if (!m_page_view->isVisible() || !QRectF(m_page_view->rect()).contains(point))
        return std::nullopt;
    return point;
}

void MainWindow::CommitViewerSize(Qt::Orientation side, int typed)
{
    const float value = static_cast<float>(std::clamp(typed, 1, kMaxViewerSide));
    Canvas& canvas = PageCanvas();
    // What the page held before is a step of its own.
    m_pages.RecordChanges();
    const QSize before(static_cast<int>(canvas.LayoutWidth()), static_cast<int>(canvas.LayoutHeight()));
    if (side == Qt::Horizontal)
        canvas.SetLayoutSize(value, canvas.LayoutHeight());
    else
        canvas.SetLayoutSize(canvas.LayoutWidth(), value);
    const QSize after(static_cast<int>(canvas.LayoutWidth()), static_cast<int>(canvas.LayoutHeight()));
    // New windows and the command-line exports start with the size the user chose last.
    Settings::SetPageSize(after);
    // Pictures fitted to the page stay fitted to it; the other pages' pictures follow as
    // their pages load. The new size and the refit are one step of the note.
    ImageItem::RefitAll(canvas);
    m_pages.RecordPageSizeChange(before);
    ShowPageSize();
}

void MainWindow::ShowPageSize()
{
    CentrePage();
    RepaintPageCanvas();
    ShowViewerSize();
    ShowResolution();
    ApplyGridDivisions();
}

void MainWindow::PageSizeShown()
{
    ShowPageSize();
}

void MainWindow::CommitDpi(int typed)
{
    bool changed = PageCanvas().SetDpi(static_cast<float>(std::clamp(typed, kMinDpi, kMaxDpi)));
    ShowResolution();
    changed |= CentrePage();
    if (changed)
        RepaintPageCanvas();
}

void MainWindow::ToggleGrid()
{
    m_view.SetGridVisible(!m_view.GridVisible());
}

void MainWindow::RebuildNativeWindow(Qt::WindowFlags flags, bool translucent)
{
    const bool visible = isVisible();
    const bool active = isActiveWindow();
    const Qt::WindowStates states = windowState();
    const QRect normal = states & (Qt::WindowFullScreen | Qt::WindowMaximized) ? normalGeometry() : geometry();
    if (visible)
        hide();
    destroy(true, true);
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    // Without it a window that is no longer translucent would still leave its background
    // unpainted.
    setAttribute(Qt::WA_NoSystemBackground, translucent);
    setWindowFlags(flags);
    setGeometry(normal);
    setWindowState(states);
    if (visible)
        show();
    // The new window takes the keyboard back, so F7 can be pressed again at once.
    if (active)
        activateWindow();
}

void MainWindow::PeekFrame(bool peek)
{
    if (peek == m_peeking)
        return;
    m_peeking = peek;
    Canvas& canvas = PageCanvas();
    auto items_named = [&canvas](const QString& part) {
        std::vector<Item*> items;
        for (int index : canvas.FindItems(part))
            items.push_back(canvas.ItemAt(index));
        return items;
    };
    const std::vector<Item*> frame = items_named(FrameName::kFrame);
    if (peek) {
        // Raised from the last to the first, so they keep their order on top.
        for (auto item = frame.rbegin(); item != frame.rend(); ++item)
            canvas.BringToFront(*item);
    } else {
        for (Item* item : frame)
            canvas.SendToBack(item);
        for (Item* item : items_named(FrameName::kClient))
            canvas.SendToBack(item);
    }
    RepaintPageCanvas();
}

void MainWindow::RaiseLowestItem()
{
    Canvas& canvas = PageCanvas();
    if (const std::vector<Item*> items = NoteItemsOf(canvas); !items.empty()) {
        canvas.BringToFront(items.front());
        RepaintPageCanvas();
    }
}

void MainWindow::Deselect()
{
    Canvas& canvas = PageCanvas();
    if (Canvas::CapturingCanvas() == &canvas && m_page_view->HoldsMouse())
        m_page_view->ReleaseMouse();
    if (Item* active = canvas.ActiveItem()) {
        if (active->SetProperty(QStringLiteral("Hover"), BoolText(false)))
            canvas.Refresh(*active);
        canvas.SetActiveItem(nullptr);
    }
    RepaintPageCanvas();
}

void MainWindow::OnAboutToBlock()
{
    if (!m_idle_pending || m_closing)
        return;
    m_idle_pending = false;
    RunIdlePass();
}

void MainWindow::RunIdlePass()
{
    if (!m_valid)
        return;
    ShowCommandStates();
    // Changes that came by a road no message took are recorded here at the latest.
    RecordPageChanges();
    m_binding->ShowProgress(PublishDialog::ProgressPercent().value_or(FolderListingCache::Instance().ProgressPercent()));
    ShowStatus(QCursor::pos());
    m_prefetch.Idle();
    emit IdlePassDone();
}

bool MainWindow::RouteToCanvases(const Message& message)
{
    auto route = [&message](CanvasWidget* widget) {
        Message local = message;
        local.position = widget->mapFromGlobal(QCursor::pos());
        return widget->GetCanvas().RouteMessage(local);
    };
    if (route(m_tool_bar) || route(m_page_bar))
        return true;
    return !m_view.Locked() && route(m_page_view);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (StartsIdlePeriod(event->type()))
        m_idle_pending = true;
    if (watched == m_client && event->type() == QEvent::Resize) {
        LayOutCanvases();
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    // Nothing behind a dialog, a question or a menu changes the note: while one is open the
    // window takes no input, whether the window system holds it back or not.
    if (ModalScope::IsOpen() && IsUserInput(event->type()))
        return true;
    switch (event->type()) {
    case QEvent::MouseMove:
        // The status follows the pointer onto and off the page's items at once.
        if (m_valid && !m_closing)
            ShowStatus(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return false;
    case QEvent::Leave:
        if (m_valid && !m_closing)
            ShowStatus(QCursor::pos());
        return false;
    case QEvent::Wheel:
        return m_actions->HandleWheel(*static_cast<QWheelEvent*>(event));
    default:
        return false;
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (ImageImport::AcceptsDrag(*event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (ImageImport::AcceptsDrag(*event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    if (!m_import->Drop(*event->mimeData(), event->position().toPoint(), event->modifiers()))
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_session_ending) {
        if (!m_unsaved.MayClose()) {
            event->ignore();
            return;
        }
        m_unsaved.Closed();
    }
    event->accept();
    m_closing = true;
    Settings::SetWindowGeometry(m_modes->IsFullScreen() ? m_modes->GeometryBeforeFullScreen() : saveGeometry());
    if (m_close_handler)
        m_close_handler();
}

bool MainWindow::OpenNote(const QString& path)
{
    return m_pages.Document().OpenNote(path);
}

bool MainWindow::SaveNote(const QString& path)
{
    return m_pages.SaveNote(path);
}

bool MainWindow::SaveNoteAs()
{
    return m_pages.SaveNoteAs();
}

void MainWindow::RecordPageChanges(ChangeCause cause)
{
    if (!m_valid || m_closing)
        return;
    const bool dragging = Canvas::CapturingCanvas() == &PageCanvas();
    const bool asking = !isEnabled() || QApplication::activeModalWidget() || QApplication::activePopupWidget();
    if (dragging || asking)
        return;
    m_pages.RecordChanges(cause);
}

bool MainWindow::ExportPdf(const QString& path)
{
    m_pages.Document().StoreCurrentPage();
    const Canvas& canvas = PageCanvas();
    PdfExport::PageSetup setup;
    setup.viewer_size = QSizeF(canvas.LayoutWidth(), canvas.LayoutHeight());
    if (canvas.Dpi() > 0)
        setup.dpi = canvas.Dpi();
    setup.back_colour = 0xFF000000u + static_cast<quint32>(BackgroundLevel()) * 0x010101u;
    return PdfExport::WriteWithDialog(path, m_pages.List(), m_pages.Document().PageFolder(), m_pages.Document().NotePath(), setup);
}

bool MainWindow::RestoreNote(const NoteSnapshot& snapshot)
{
    return m_pages.Restore(snapshot);
}

void MainWindow::EndSession()
{
    // Without a recovery copy unsaved changes are only safe behind the close question.
    if (!m_unsaved.EndSession()) {
        close();
        return;
    }
    m_session_ending = true;
    // Closing does nothing while a close is under way (the close question is open); the
    // application is then told directly.
    if (!close() && m_close_handler) {
        m_closing = true;
        m_close_handler();
    }
}

void MainWindow::NoteChanged()
{
    ShowCommandStates();
    m_unsaved.NoteChanged();
    setWindowTitle(UnsavedChanges::WindowTitle(m_pages.NotePath(), m_pages.IsModified()));
}

bool MainWindow::MayDiscardChanges()
{
    return m_unsaved.MayDiscard();
}

void MainWindow::NoteOpened()
{
    // A note that was opened starts locked.
    m_view.SetLocked(true);
    // The note may have brought its own page size.
    ShowPageSize();
    m_unread_notice.Reset();
    NameUnreadImages();
}

void MainWindow::PageShown()
{
    NameUnreadImages();
}

void MainWindow::NameUnreadImages()
{
    const QString text = m_unread_notice.Take(PageCanvas(), m_pages.Document().PageFolder());
    if (text.isEmpty())
        return;
    // Shown once the page has been turned, outside the key, wheel or drop that turned it.
    QMetaObject::invokeMethod(this, [text] { Prompt().ShowMessage(text, kPromptCaption.toString(), MessageIcon::Warning); },
        Qt::QueuedConnection);
}
