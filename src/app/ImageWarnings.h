#pragma once

#include <QString>
#include <QStringList>

class Canvas;

// The commands that run without a window go on without an image that does not load, and name
// each such image on stderr in one line with the reason, so that a page that comes out with a
// gap is explained.
class ImageWarnings {
public:
    // Whether the file loads as an image.
    static bool Loads(const QString& path);
    // Why the file does not load as an image, in a few words.
    static QString Reason(const QString& path);
    // The stderr line for an image that did not load.
    static QString Line(const QString& path);

    // Notes the images of a loaded page whose files did not load: their sections stand on the
    // canvas unread. Relative paths resolve against the folder.
    void AddUnloaded(const Canvas& canvas, const QString& folder);
    // Notes an image; each path is named once.
    void Add(const QString& path);
    const QStringList& Paths() const { return m_paths; }
    // One line per noted image on stderr.
    void Print() const;

private:
    QStringList m_paths;
};
