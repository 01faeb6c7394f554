#pragma once

#include "app/BarBinding.h"
#include "app/BarBoxFocus.h"
#include "app/CanvasWidget.h"
#include "app/ImageImport.h"
#include "app/ImageWarnings.h"
#include "app/PageCanvasWidget.h"
#include "app/PageContextMenu.h"
#include "app/PageScroller.h"
#include "app/PageWindow.h"
#include "app/PageImageSaver.h"
#include "app/UnsavedChanges.h"
#include "app/ViewState.h"
#include "app/WindowActions.h"
#include "app/WindowModes.h"
#include "app/WindowModesHost.h"
#include "document/PagePrefetch.h"
#include "document/Pages.h"
#include "document/PagesHost.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ItemEvent;

// The editor window: a tool bar, the page canvas and a page bar, each a canvas of items, under
// a menu bar. It owns the note (its pages and undo history) and the view settings, keeps the
// widgets of the bars in step with them, and wires its parts together: the window's actions
// take the menu, the keys and the widgets' notifications to its commands; the image import
// brings images onto the pages; the page image saver writes a page as a picture; the window
// modes set how the window sits on the desktop.
class MainWindow : public QMainWindow, public PagesHost, public PageWindow, public WindowModesHost {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 70;
    // The smallest client area: the bars whole, and room for the page between them. A new
    // window asks for the larger size where the screen has room for it.
    static constexpr int kMinClientWidth = 880;
    static constexpr int kMinClientHeight = 400;
    static constexpr QSize kDefaultClientSize { 880, 670 };
    static constexpr int kMaxViewerSide = 4800;
    static constexpr int kMinDpi = 72;
    static constexpr int kMaxDpi = 4800;

    MainWindow();
    ~MainWindow() override;

    // False when a layout could not be built; the window has then closed itself.
    bool IsValid() const { return m_valid; }
    // Called once the window has closed (the application then ends with exit code 0).
    void SetCloseHandler(std::function<void()> handler) { m_close_handler = std::move(handler); }

    // The window's parts.
    ActionRegistry& Actions() { return m_actions->Registry(); }
    ImageImport& Import() { return *m_import; }
    PageImageSaver& PageSaver() { return *m_page_saver; }
    PageContextMenu& PageMenu() { return *m_page_menu; }
    PageScroller& Scroller() { return *m_scroller; }
    WindowModes& Modes() { return *m_modes; }
    const WindowModes& Modes() const { return *m_modes; }
    BarBoxFocus& BoxFocus() { return *m_box_focus; }

    CanvasWidget& ToolBarWidget() { return *m_tool_bar; }
    CanvasWidget& PageBarWidget() { return *m_page_bar; }
    PageCanvasWidget& PageWidget() override { return *m_page_view; }
    Canvas& PageCanvas() override { return m_page_view->GetCanvas(); }
    Pages& GetPages() override { return m_pages; }
    const Pages& GetPages() const { return m_pages; }
    ViewState& View() { return m_view; }
    bool IsLocked() const override { return m_view.Locked(); }
    bool IsGridVisible() const { return m_view.GridVisible(); }
    bool IsSnapOn() const { return m_view.SnapOn(); }
    const std::vector<float>& SnapLinesX() const { return m_snap_x; }
    const std::vector<float>& SnapLinesY() const { return m_snap_y; }
    // The grey level (0 to 255) of the page background.
    int BackgroundLevel() const override;

    // An empty path asks for one. False when cancelled, refused or failed.
    bool OpenNote(const QString& path);
    // An empty path saves to the note's own file, or asks for one when it has none.
    bool SaveNote(const QString& path);
    bool SaveNoteAs();
    // Records what changed on the page shown as an undo step, unless the change is still
    // under way: a drag holds the mouse, or a dialog, question or menu is open.
    void RecordPageChanges(ChangeCause cause = ChangeCause::Other);
    // Writes the whole note as one PDF; an empty path asks for one.
    bool ExportPdf(const QString& path);

    // The recovery copy the window keeps of unsaved changes; null keeps none.
    void SetRecovery(NoteRecovery* recovery) { m_unsaved.SetRecovery(recovery); }
    // Shows a note brought back from a recovery copy, as a note with unsaved changes.
    bool RestoreNote(const NoteSnapshot& snapshot);
    // The session ends: unsaved changes go into the recovery copy and the window closes
    // without asking (when there is no recovery copy, it closes as the user closes it).
    void EndSession();

    // The work done each time the event queue runs empty: button states, progress and status.
    void RunIdlePass();

    // The view: the page canvas's place in the window and the values of the bars' boxes.
    void LayOutCanvases();
    // Fits the page to the window while the view says so, and brings the page into its
    // view: centred where it is smaller than the view, scrolled into range where it is larger.
    bool CentrePage();
    // Steps the zoom to the next larger (direction > 0) or smaller entry of the zoom box's list,
    // keeping the page point under the view point (the view's centre when none is given).
    void ZoomStep(int direction, std::optional<QPointF> view_point = std::nullopt);
    bool IsZoomFitting() const { return m_view.FitsZoom(); }
    // The page view's point under a point of the screen, when the page view is there.
    std::optional<QPointF> PagePointUnder(QPointF global_point) const;
    void ShowZoom();
    // Zooms as the view state says: to its zoom, or to fit the window.
    void ApplyViewZoom();
    void CommitViewerSize(Qt::Orientation side, int typed);
    void CommitDpi(int typed);
    bool ApplyBackgroundColour(Repaint repaint);
    bool ApplyFrameColour(Repaint repaint);

    // The lock, grid and snap switches.
    void ToggleLock();
    void ToggleGrid();
    void ToggleSnap();

    // Operations on the page's items.
    void PeekFrame(bool peek);
    void RaiseLowestItem();
    void Deselect();
    // Makes a new native window with the flags, translucent or not: the kind of window the
    // desktop gives is fixed when it is made. Keeps the geometry, state and visibility.
    void RebuildNativeWindow(Qt::WindowFlags flags, bool translucent) override;

    // Hands a key message to the bars, then to the page unless the note is locked.
    bool RouteToCanvases(const Message& message);

    // PageWindow and WindowModesHost
    QWidget& Widget() override { return *this; }
    QMainWindow& Window() override { return *this; }
    void ViewResized() override;
    void RestoreViewScale() override;

    // PagesHost
    bool ResetPageCanvas(Repaint repaint) override;
    void RepaintPageCanvas() override;
    void ShowPageCounter() override;
    void NoteCleared() override;
    void NoteOpened() override;
    void PageShown() override;
    void NoteChanged() override;
    void PageSizeShown() override;
    bool MayDiscardChanges() override;

signals:
    void IdlePassDone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool BuildBars();
    // Keeps the bars and the window in step with the view state.
    void BindBars();
    void FailLayout();
    void OnAboutToBlock();

    // Widget synchronisation.
    void ShowResolution();
    void ShowViewerSize();
    // Takes the grid divisions from the page's frame.
    void ShowGridDivisions();
    // Shows the grid on the page as the view state says; true when that changed the page.
    bool ApplyGrid();
    void ApplyGridDivisions();
    // Shows the page canvas's page size and resolution in the page bar and lays the page out
    // on them.
    void ShowPageSize();
    // The rectangle of the client area that shows the page.
    QRect PageArea() const;
    // The first size and place of the window: as kept from the last run, else the default
    // size as far as the screen allows, centred.
    void PlaceNewWindow();
    // The page size a new window starts with, and the screen's own size in the size lists.
    void ApplyFirstPageSize();
    void PublishSnapGrid();
    // The status of the note item at a point of the screen.
    void ShowStatus(QPoint global_pointer);
    // Shows the commands' states in the menu, the keys and the bars' buttons.
    void ShowCommandStates();
    // Names the images of the page shown that could not be read and were not named yet.
    void NameUnreadImages();

    bool m_valid { true };
    std::function<void()> m_close_handler;
    QWidget* m_client { nullptr };
    CanvasWidget* m_tool_bar { nullptr };
    CanvasWidget* m_page_bar { nullptr };
    PageCanvasWidget* m_page_view { nullptr };
    ViewState m_view;
    Pages m_pages;
    UnsavedChanges m_unsaved { m_pages };
    std::unique_ptr<ImageImport> m_import;
    std::unique_ptr<PageImageSaver> m_page_saver;
    std::unique_ptr<WindowModes> m_modes;
    std::unique_ptr<BarBoxFocus> m_box_focus;
    // Made after the parts its commands use.
    std::unique_ptr<WindowActions> m_actions;
    std::unique_ptr<PageContextMenu> m_page_menu;
    std::unique_ptr<BarBinding> m_binding;
    PageScroller* m_scroller { nullptr };
    // Decodes the neighbouring pages' pictures while the user is idle.
    PagePrefetch m_prefetch { m_pages.Document(), m_page_view->GetCanvas() };

    UnreadImageNotice m_unread_notice;
    bool m_peeking { false };
    std::vector<float> m_snap_x;
    std::vector<float> m_snap_y;

    // An idle period begins with every event but moves, paints and timers; the idle pass runs
    // once per period, when the queue runs empty.
    bool m_idle_pending { true };
    bool m_closing { false };
    bool m_session_ending { false };
};
