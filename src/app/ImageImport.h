#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

class MainWindow;

// Whether placed images are fitted to the page, one per page, or cascaded at a point.
enum class Placement {
    AtPoint,
    FitToPage,
};

// The roads by which images reach the pages of the main window: the open dialog and the
// command line, each placing an image item that refers to a file.
class ImageImport {
public:
    explicit ImageImport(MainWindow& window);

    // Opens the arguments as a note or places them as images, one per page, then shows the
    // first page.
    void ProcessCommandLine(const QStringList& arguments);
    // Places an image file on a page (-1: the current one) and records a step. The point is in
    // the main window's coordinates; the sequence number moves it along the cascade.
    bool PlaceImage(const QString& path, QPoint window_point, Placement placement, int sequence, int target_page);
    // Asks for an image file and fits it to the current page; a failure is reported.
    void OpenWithDialog();

private:
    MainWindow& m_window;
};
