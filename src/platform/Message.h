#pragma once

#include <QPoint>
#include <QString>

// Key codes with the meanings of the desktop's virtual keys. Letters and digits use their
// upper-case character code, as the virtual keys do ('A' is 0x41, '0' is 0x30).
enum class Key : int {
    None = 0,
    Back = 0x08,
    Tab = 0x09,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Menu = 0x12,
    Escape = 0x1B,
    Space = 0x20,
    Prior = 0x21, // Page Up
    Next = 0x22,  // Page Down
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    Digit0 = 0x30,
    A = 0x41,
    C = 0x43,
    L = 0x4C,
    N = 0x4E,
    O = 0x4F,
    R = 0x52,
    S = 0x53,
    V = 0x56,
    Y = 0x59,
    Z = 0x5A,
    Add = 0x6B,
    Subtract = 0x6D,
    F1 = 0x70,
    F2 = 0x71,
    F3 = 0x72,
    F4 = 0x73,
    F5 = 0x74,
    F11 = 0x7A,
    Plus = 0xBB,  // the "+ ;" key of the main keyboard
    Minus = 0xBD, // the "- =" key of the main keyboard
};

// The kinds of input and window notifications that reach items. Each is named after the
// window message it stands for.
enum class MessageKind {
    None,
    MouseMove,
    LButtonDown,
    LButtonUp,
    LButtonDblClk,
    MButtonDown,
    MButtonUp,
    RButtonDown,
    RButtonUp,
    MouseWheel,
    MouseLeave,
    KeyDown,
    KeyUp,
    Char,
    SetFocus,
    KillFocus,
    EditChanged,
    Destroy,
};

// One input record. The modifier and button states are those at the moment the event was
// made, so items never ask the system for the current keyboard state.
struct Message {
    MessageKind kind { MessageKind::None };
    QPoint position;          // pointer in client coordinates of the canvas's window
    Key key { Key::None };    // KeyDown and KeyUp
    QString text;             // Char: the typed text
    int wheel_delta { 0 };    // MouseWheel: 120 per notch, positive away from the user
    bool ctrl { false };
    bool shift { false };
    bool left_button { false };
    bool middle_button { false };
    bool right_button { false };
    bool auto_repeat { false }; // KeyDown repeated by holding the key
    const void* source { nullptr }; // the native child window a message came from, if any

    bool IsMouse() const
    {
        switch (kind) {
        case MessageKind::MouseMove:
        case MessageKind::LButtonDown:
        case MessageKind::LButtonUp:
        case MessageKind::LButtonDblClk:
        case MessageKind::MButtonDown:
        case MessageKind::MButtonUp:
        case MessageKind::RButtonDown:
        case MessageKind::RButtonUp:
        case MessageKind::MouseWheel:
            return true;
        default:
            return false;
        }
    }
};
