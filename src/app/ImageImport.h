#pragma once

#include "items/ImageFileReader.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <memory>

class Canvas;
class ImageItem;
class PageWindow;
class QMimeData;

// Whether placed images are fitted to the page, one per page, or cascaded at a point.
enum class Placement {
    AtPoint,
    FitToPage,
};

// The roads by which images reach the pages of the main window: the open dialog, the command
// line, dropped files, dragged bitmaps and the clipboard. Each places an image item that
// refers to a file; pictures that arrive only as pixels are first written as PNG files into
// the clipboard folder, which lasts as long as the notes that refer to it.
class ImageImport {
public:
    explicit ImageImport(PageWindow& window);

    // Opens the arguments as a note or places them as images, one per page, then shows the
    // first page. Each image that cannot be placed is named on stderr with the reason, as the
    // commands without a window name theirs.
    void ProcessCommandLine(const QStringList& arguments);
    // Places an image file on a page (-1: the current one) and records a step. The point is in
    // the main window's coordinates; the sequence number moves it along the cascade.
    bool PlaceImage(const QString& path, QPoint window_point, Placement placement, int sequence, int target_page);
    // An image item of the file for the canvas, not yet placed or added: every placed image
    // file starts here, in the window and in the note made from the command line. Null when
    // the file does not load.
    static std::unique_ptr<ImageItem> NewImageItem(Canvas& canvas, const QString& path);
    // Asks for an image file and fits it to the current page; a failure is reported with its
    // reason ("photo.heic を開けませんでした: ...").
    void OpenWithDialog();
    // Asks for an image file and places it with its top left corner at the point.
    void OpenWithDialogAt(QPoint window_point);

    // Places the clipboard's files (copied in a file manager) cascading from the point, as a
    // drop without Ctrl would, or else its picture with its top left corner at the point;
    // nothing happens when the clipboard holds neither. Files that cannot be placed are
    // reported with their reasons.
    bool PasteAt(QPoint window_point);
    // Whether the data holds what a paste places: local files or a picture.
    static bool CanPaste(const QMimeData& data);
    // Places a picture that has no file yet, at its natural size, with its top left corner at
    // the point, and writes it into a new file of the clipboard folder.
    bool PlaceBitmap(const QImage& image, QPoint window_point);

    // Whether a drag carries what a drop can place: files or a picture.
    static bool AcceptsDrag(const QMimeData& data);
    // A drop at the point: files go to DropFiles, a picture without files is placed like a
    // paste. True when the drop was taken. Files that cannot be placed are reported, with
    // their reasons, in one message once the drop has ended.
    bool Drop(const QMimeData& data, QPoint window_point, Qt::KeyboardModifiers modifiers);
    // Dropped files in drop order. One note file opens as the note, even while locked; other
    // drops are ignored while locked. Without one-per-page the files cascade from the point;
    // with it each file is fitted to a page of its own from the current page on, and the view
    // comes back to the page where the drop began. Answers one line for each file that could
    // not be placed, naming it and the reason.
    QStringList DropFiles(const QStringList& paths, QPoint window_point, Placement placement);

private:
    void OpenAndPlace(Placement placement, QPoint window_point);
    static void ReportUnreadable(const QString& argument);
    static void ShowFailures(const QStringList& failures);

    PageWindow& m_window;
};
