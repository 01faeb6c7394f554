#pragma once

#include "app/CanvasWidget.h"
#include "document/Pages.h"
#include "document/PagesHost.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QMenu;
struct ItemEvent;

// The page canvas's window: takes no input while the note is locked.
class PageCanvasWidget : public CanvasWidget {
    Q_OBJECT
public:
    explicit PageCanvasWidget(QWidget* parent = nullptr);

    void SetInputBlocked(bool blocked) { m_input_blocked = blocked; }
    // Pixels of the colour (0xRRGGBB) are shown fully transparent; none shows everything.
    bool SetColourKey(std::optional<quint32> key);
    // The back buffer's pixels with those of the colour key made transparent.
    static QImage KeyedOut(const QImage& image, quint32 key);
    // Hands a message to the page's items, as the window does with keys it does not handle.
    bool Route(const Message& message) { return DeliverMessage(message); }

signals:
    // The page canvas has its new size (and, the first time, its resolution).
    void Resized();

protected:
    bool DeliverMessage(const Message& message) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_input_blocked { false };
    std::optional<quint32> m_colour_key;
};

// Whether placed images are fitted to the page, one per page, or cascaded at a point.
enum class Placement {
    AtPoint,
    FitToPage,
};

// The editor window: a tool bar, the page canvas and a page bar, each a canvas of items, under
// a menu bar. It owns the note (its pages and undo history) and the view settings, and turns
// the widgets' notifications, the menu and the keyboard into commands.
class MainWindow : public QMainWindow, public PagesHost {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 70;
    static constexpr int kMinClientWidth = 800;
    static constexpr int kMinClientHeight = 670;
    static constexpr int kMaxViewerSide = 4800;
    static constexpr int kMinDpi = 72;
    static constexpr int kMaxDpi = 4800;

    // Menu command numbers.
    enum Command : int {
        kExit = 2,
        kNewNote = 32777,
        kOpenNote = 32788,
        kSaveNote = 32789,
        kInsertPage = 32801,
        kDeletePage = 32802,
        kClearPage = 32792,
        kAbout = 32793,
        kUndo = 32794,
        kRedo = 32795,
        kPublish = 32798,
        kGrid = 32805,
        kSnap = 32807,
        kMakerSite = 32812,
        kProductPage = 32811,
        kLock = 32814,
        kFullScreen = 32816,
        kBringToFront = 32819,
        kBottomMost = 32820,
        kTransparentBackground = 32823,
        kTransparentWindow = 32825,
    };

    MainWindow();
    ~MainWindow() override;

    // False when a layout could not be built; the window has then closed itself.
    bool IsValid() const { return m_valid; }
    // Called once the window has closed (the application ends its loop with code 2).
    void SetCloseHandler(std::function<void()> handler) { m_close_handler = std::move(handler); }

    CanvasWidget& ToolBarWidget() { return *m_tool_bar; }
    CanvasWidget& PageBarWidget() { return *m_page_bar; }
    PageCanvasWidget& PageWidget() { return *m_page_view; }
    Canvas& PageCanvas() { return m_page_view->GetCanvas(); }
    Pages& GetPages() { return m_pages; }
    bool IsLocked() const override { return m_locked; }
    bool IsFullScreen() const { return m_full_screen; }
    bool IsBackgroundTransparent() const { return m_transparent_background; }
    bool IsClickThrough() const { return m_transparent_window && m_transparent_background; }
    // The small window that turns click-through off again; null while there is none.
    QWidget* SwitchWindow() const { return m_switch_window; }
    bool IsGridVisible() const { return m_grid_visible; }
    bool IsSnapOn() const { return m_snap; }
    const std::vector<float>& SnapLinesX() const { return m_snap_x; }
    const std::vector<float>& SnapLinesY() const { return m_snap_y; }

    // Runs a menu command; false when it is unknown.
    bool RunCommand(int command);
    // Whether a menu command is enabled now, as the menu shows it.
    bool IsCommandEnabled(int command) const;

    // Opens the arguments as a note or places them as images, one per page, then shows the
    // first page.
    void ProcessCommandLine(const QStringList& arguments);
    // Places an image file on a page (-1: the current one) and records a step.
    bool PlaceImage(const QString& path, QPoint window_point, Placement placement, int sequence, int target_page);
    // An empty path asks for one. False when cancelled, refused or failed.
    bool OpenNote(const QString& path);
    bool SaveNote(const QString& path);

    // The work done each time the event queue runs empty: button states, progress and status.
    void RunIdlePass();

    // View settings.
    bool CentrePage();
    void ZoomStep(int direction);
    void ToggleFullScreen();

    // PagesHost
    bool ResetPageCanvas(Repaint repaint) override;
    void RepaintPageCanvas() override;
    void ShowPageCounter() override;
    void NoteCleared() override;
    void NoteOpened() override;

signals:
    void IdlePassDone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool BuildBars();
    void BuildMenu();
    void RefreshMenuStates();
    void FailLayout();
    void LayOutCanvases();
    void OnAboutToBlock();

    bool HandleKeyDown(const QObject* receiver, QKeyEvent* event);
    bool HandleKeyUp(const QObject* receiver, QKeyEvent* event);
    bool HandleWheel(QWheelEvent* event);
    bool RouteToCanvases(const Message& message);

    bool OnBarEvent(const ItemEvent& event);
    bool OnPageEvent(const ItemEvent& event);

    // Widget synchronisation.
    void ShowZoom();
    void ShowResolution();
    void ShowViewerSize();
    void ApplyZoomBox();
    void ApplyResolutionBox();
    void ReadLock();
    void ShowGridDivisions();
    void ApplyGridDivisions();
    void PublishSnapGrid();
    bool ApplyBackgroundColour(Repaint repaint);
    bool ApplyFrameColour(Repaint repaint);
    void ShowStatus();
    void CommitViewerSize(const QString& name);
    void CommitDpi();
    void CommitGridSize();
    void SetLocked(bool locked);
    void ToggleGrid();
    void PeekFrame(bool peek);
    void RaiseLowestItem();
    void Deselect();
    void OpenImageWithDialog();
    void ReapplyTransparency();
    void ShowSwitchWindow();

    bool m_valid { true };
    std::function<void()> m_close_handler;
    QWidget* m_client { nullptr };
    CanvasWidget* m_tool_bar { nullptr };
    CanvasWidget* m_page_bar { nullptr };
    PageCanvasWidget* m_page_view { nullptr };
    std::map<int, QAction*> m_actions;
    Pages m_pages;

    bool m_locked { false };
    bool m_grid_visible { true };
    bool m_snap { true };
    bool m_full_screen { false };
    bool m_bottom_most { false };
    bool m_transparent_background { false };
    bool m_transparent_window { false };
    QWidget* m_switch_window { nullptr };
    bool m_peeking { false };
    quint32 m_colour_key { 0xFFFFFF };
    QRect m_saved_geometry;
    std::vector<float> m_snap_x;
    std::vector<float> m_snap_y;

    // An idle period begins with every event but moves, paints and timers; the idle pass runs
    // once per period, when the queue runs empty.
    bool m_idle_pending { true };
    bool m_closing { false };
};
