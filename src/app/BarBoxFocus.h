#pragma once

#include <QString>
#include <vector>

class CanvasWidget;
class Item;
class QWidget;

// The keyboard's way into the edit boxes of the tool bar and the page bar: F6 and Tab go from
// box to box (page number, viewer width and height, zoom, resolution, grid divisions), each
// box editing its text selected, and Escape leaves a box as it was, handing the keys back to
// the page.
class BarBoxFocus {
public:
    BarBoxFocus(CanvasWidget& tool_bar, CanvasWidget& page_bar, QWidget& page);

    // Commits the box being edited and begins editing the next (1) or previous (-1) one; from
    // outside the boxes, the first or the last.
    void Move(int direction);
    // Ends editing the box, throwing away what was typed; the page takes the keys.
    void Leave();
    // The position of the box being edited in the order above, or -1.
    int Current() const;

private:
    struct Box {
        CanvasWidget* bar;
        QString name;
    };
    Item* ItemOf(const Box& box) const;
    static bool IsShown(const Box& box);

    std::vector<Box> m_boxes;
    QWidget& m_page;
};
