#pragma once

#include <QString>

// The names of the items the window's layouts make (tool bar, page bar and the page's frame)
// and of the properties the window sets on them, as the layouts write them.
namespace BarName {
inline const QString kThisPage = QStringLiteral("ThisPage");
inline const QString kMaxPage = QStringLiteral("MaxPage");
inline const QString kZoom = QStringLiteral("Zoom");
inline const QString kDpi = QStringLiteral("Dpi");
inline const QString kViewerWidth = QStringLiteral("ViewerWidth");
inline const QString kViewerHeight = QStringLiteral("ViewerHeight");
inline const QString kGridSize = QStringLiteral("GridSize");
inline const QString kLockPage = QStringLiteral("LockPage");
inline const QString kBackColor = QStringLiteral("BackColor");
inline const QString kFrameColor = QStringLiteral("FrameColor");
inline const QString kStatus = QStringLiteral("Status");
inline const QString kProgressBar = QStringLiteral("ProgressBar");
// Buttons.
inline const QString kClearNote = QStringLiteral("ClearNote");
inline const QString kOpenNote = QStringLiteral("OpenNote");
inline const QString kSaveNote = QStringLiteral("SaveNote");
inline const QString kSavePage = QStringLiteral("SavePage");
inline const QString kOpenImage = QStringLiteral("OpenImage");
inline const QString kUndoNote = QStringLiteral("UndoNote");
inline const QString kRedoNote = QStringLiteral("RedoNote");
inline const QString kClearPage = QStringLiteral("ClearPage");
inline const QString kAbout = QStringLiteral("About");
inline const QString kTopPage = QStringLiteral("TopPage");
inline const QString kEndPage = QStringLiteral("EndPage");
inline const QString kPrevPage = QStringLiteral("PrevPage");
inline const QString kNextPage = QStringLiteral("NextPage");
}

namespace FrameName {
// The page background.
inline const QString kClient = QStringLiteral("Client");
// The grid, and the four sides of the frame around the page.
inline const QString kGrid = QStringLiteral("FrameG");
inline const QString kLeft = QStringLiteral("FrameL");
inline const QString kTop = QStringLiteral("FrameT");
inline const QString kRight = QStringLiteral("FrameR");
inline const QString kBottom = QStringLiteral("FrameB");
// What the names of the frame's items start with.
inline const QString kFrame = QStringLiteral("Frame");
}

namespace PropertyName {
inline const QString kText = QStringLiteral("Text");
inline const QString kValue = QStringLiteral("Value");
inline const QString kPushed = QStringLiteral("Pushed");
inline const QString kEnable = QStringLiteral("Enable");
inline const QString kColor = QStringLiteral("Color");
inline const QString kInterval = QStringLiteral("Interval");
inline const QString kVisible = QStringLiteral("Visible");
inline const QString kList = QStringLiteral("List");
}
