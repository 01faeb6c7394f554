#pragma once

#include <QSet>
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

// The window names the images of a note it could not read in one message as a page shows them,
// each image once for as long as the note stays open, rather than one box per image.
class UnreadImageNotice {
public:
    // Names at most this many images, then how many more there are.
    static constexpr int kNamedAtMost = 5;

    // A note was opened or started anew: every image may be named again.
    void Reset() { m_named.clear(); }
    // The message for the images of the page that stand unread and were not named yet, and
    // notes them as named; empty when there are none. Relative paths resolve against folder.
    QString Take(const Canvas& page, const QString& folder);
    // The message that names the images, with the reason for each.
    static QString Message(const QStringList& paths);

private:
    QSet<QString> m_named;
};
