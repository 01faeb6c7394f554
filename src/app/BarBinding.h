#pragma once

#include <QObject>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class ActionRegistry;
class Canvas;
class ViewState;
struct ItemEvent;

// The one place that knows the widgets of the tool bar and the page bar: it shows the view
// state, the page counter, the status and the commands' states in them, and turns what the
// user does with them into commands, view state changes and the typed values below.
// Lives on the user-interface thread.
class BarBinding final : public QObject {
    Q_OBJECT
public:
    // The bars' layouts are built already.
    BarBinding(Canvas& tool_bar, Canvas& page_bar, ViewState& view, ActionRegistry& actions);

    // Takes the values the layouts start with (the grey levels, the grid divisions, the lock)
    // into the view state.
    void AdoptLayoutValues();
    void ShowPageCounter(int current, int count);
    void ShowStatus(const QString& status);
    void ShowProgress(double percent);
    // Shows each button enabled as its command is.
    void ShowCommandStates();
    // Puts the screen's own size among the page sizes offered.
    void OfferPageSize(QSize size);
    // The percentages of the zoom box's list, in order.
    std::vector<int> ZoomPercents() const;

    // Notifications of the bars' widgets; false for one that is no business of the bars.
    bool HandleEvent(const ItemEvent& event);

signals:
    // A page number typed (1 for the first page).
    void PageNumberEntered(int number);
    void PageWidthEntered(int width);
    void PageHeightEntered(int height);
    // A zoom chosen or typed: a percentage, or none for fitting the window.
    void ZoomEntered(std::optional<int> percent);
    void DpiEntered(int dpi);
    // The background knob was let go.
    void BackgroundChosen();

private:
    bool HandleClick(const QString& name);
    bool HandleCommit(const QString& name);
    QString BoxText(const Canvas& bar, const QString& name) const;
    float KnobValue(const QString& name, float fallback) const;
    void ShowZoom();
    void ShowDpi();
    void ShowPageSize();
    void ShowGrid();
    void ShowLock();
    void ShowColours();

    Canvas& m_tool_bar;
    Canvas& m_page_bar;
    ViewState& m_view;
    ActionRegistry& m_actions;
    // The zoom list's entry that fits the page to the window: its first, as the layout says.
    QString m_fit_entry;
    // A knob being turned shows its own value, which may lie between two levels.
    bool m_knob_turning { false };
};
