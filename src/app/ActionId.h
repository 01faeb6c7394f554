#pragma once

// The main window's commands. The menu bar, the bars' buttons, the page's menu, the keys and
// the switch window all name a command by its id.
enum class ActionId {
    // File menu.
    NewNote,
    OpenNote,
    SaveNote,
    SaveNoteAs,
    ExportPdf,
    OpenImage,
    SavePageImage,
    Publish,
    Exit,
    // Edit menu.
    Undo,
    Redo,
    InsertPage,
    DeletePage,
    ClearPage,
    // View menu.
    Grid,
    TransparentBackground,
    TransparentWindow,
    FullScreen,
    BringToFront,
    BottomMost,
    // Settings menu.
    Snap,
    Lock,
    // Help menu.
    MakerSite,
    ProductPage,
    About,
    // Page turning, from the page bar, the keys and the wheel.
    FirstPage,
    LastPage,
    PreviousPage,
    NextPage,
    // Keys without a menu entry.
    ZoomIn,
    ZoomOut,
    Deselect,
    Paste,
    RaiseLowestItem,
    PreviousBox,
    BoxBack,
    NextBox,
    Escape,
    PageMenu,
    HoldPan,
    PeekFrame,
    ItemLeft,
    ItemRight,
    ItemDelete,
    ItemRotateLeft,
    ItemRotateRight,
    ItemShiftDelete,
    ItemShiftRotateLeft,
    ItemShiftRotateRight,
};
