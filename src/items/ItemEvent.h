#pragma once

#include <QString>

// What an item reports to its canvas. The canvas handles the capture and focus codes itself
// and passes the others on to the window that owns it.
struct ItemEvent {
    static constexpr int kChanged = 1;         // activated or changed
    static constexpr int kChangeFinished = 2;  // a change (a drag, an edit) is complete
    static constexpr int kTextEntry = 3;       // sent by the text entry widgets
    static constexpr int kStartCapture = 4;    // the item starts a drag and wants the mouse
    static constexpr int kReleaseCapture = 5;  // the drag is over
    static constexpr int kTakeFocus = 6;       // the item with this key becomes the active item
    static constexpr int kDropFocus = 7;       // the item with this key is no longer active
    static constexpr int kPointerEntered = 10;
    static constexpr int kPointerLeft = 11;
    static constexpr int kShowMessage = 12;    // show the extra text to the user

    QString text;  // the sender's text, normally its name
    QString key;   // the sender's key (its id, or its address when it has none)
    int code { 0 };
    QString extra;
};
