#pragma once

#include <QObject>
#include <QSize>

// How the window shows the note, as values: zoom (a fixed zoom or fitting the window),
// resolution, page size, grid, snap, the lock and the grey levels of the page background and
// its frame. Each setter returns whether it changed something and then says so by its signal;
// the bars show these values and the window applies them.
// Lives on the user-interface thread.
class ViewState final : public QObject {
    Q_OBJECT
public:
    enum class ZoomMode { Fixed, Fit };

    ZoomMode GetZoomMode() const { return m_zoom_mode; }
    bool FitsZoom() const { return m_zoom_mode == ZoomMode::Fit; }
    // The zoom as a factor (1 is 100 %).
    float Zoom() const { return m_zoom; }
    bool SetZoomMode(ZoomMode mode);
    bool SetZoom(float zoom);
    // Dots per inch of the page.
    int Dpi() const { return m_dpi; }
    bool SetDpi(int dpi);
    QSize PageSize() const { return m_page_size; }
    bool SetPageSize(QSize size);

    bool GridVisible() const { return m_grid_visible; }
    bool SetGridVisible(bool visible);
    // Lines across and down the page; none below 1.
    int GridDivisions() const { return m_grid_divisions; }
    bool SetGridDivisions(int divisions);
    bool SnapOn() const { return m_snap; }
    bool SetSnap(bool on);
    bool Locked() const { return m_locked; }
    bool SetLocked(bool locked);

    // Grey levels from 0 (black) to 255 (white).
    int BackgroundLevel() const { return m_background_level; }
    bool SetBackgroundLevel(int level);
    int FrameLevel() const { return m_frame_level; }
    bool SetFrameLevel(int level);

signals:
    void ZoomChanged();
    void DpiChanged();
    void PageSizeChanged();
    void GridChanged();
    void SnapChanged();
    void LockChanged();
    void ColoursChanged();

private:
    // Sets the member and sends the signal when the value is new.
    template <typename Value>
    bool Change(Value& member, Value value, void (ViewState::*changed)());

    ZoomMode m_zoom_mode { ZoomMode::Fit };
    float m_zoom { 1.0f };
    int m_dpi { 96 };
    QSize m_page_size;
    bool m_grid_visible { true };
    int m_grid_divisions { 4 };
    bool m_snap { true };
    bool m_locked { false };
    int m_background_level { 255 };
    int m_frame_level { 238 };
};
