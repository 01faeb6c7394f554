#pragma once

#include <QImage>
#include <QSize>

// Reduces decoded pixels of a library's own layout (packed RGB, or RGBX with a byte that is
// not alpha) straight into the drawing format at the size shown, in one pass over the source:
// each pixel shown is the mean of the source pixels it covers. A 12 MP photograph shown 1200
// pixels wide costs a few hundredths of its decode this way, where converting it to the
// drawing format first and then scaling it would read and write it twice.
class ImageFileReaderReduction {
public:
    // Whether Reduce takes these pixels to that size: an opaque packed format, reduced on
    // both axes.
    static bool Applies(const QImage& source, QSize size);
    // The pixels reduced to size in Format_RGB32; null when Applies is false.
    static QImage Reduce(const QImage& source, QSize size);
};
