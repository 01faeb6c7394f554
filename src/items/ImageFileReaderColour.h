#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QSize>
#include <QString>

// Converts decoded pixels from the colour space their file records to sRGB, the space the
// page is drawn and exported in. Qt converts the profiles it reads (matrix and curve
// profiles, the usual ones of cameras and phones); a profile Qt cannot read (table-based
// profiles) is converted with lcms2. Pixels without a profile, or whose profile is sRGB in
// all but name, are left as they are and cost nothing.
class ImageFileReaderColour {
public:
    // Decoded pixels as they are kept for drawing: scaled to size (an invalid size keeps
    // theirs), in the drawing format, converted from space to sRGB.
    static QImage ForDrawing(QImage decoded, QSize size, const QColorSpace& space);

    // Both take an image in the drawing format (ImageDecoder::PrepareForDrawing).
    static void ToSrgb(QImage& image, const QColorSpace& space);
    // An ICC profile as stored in the file; an empty one changes nothing.
    static void ToSrgb(QImage& image, const QByteArray& icc_profile);

    // Whether converting from the space to sRGB would leave every colour within half a level.
    static bool IsSrgb(const QColorSpace& space);

    // The ICC profile a JPEG file carries in its APP2 segments; empty when it carries none.
    static QByteArray JpegIccProfile(const QString& path);
    // The same, from the bytes of a JPEG file (or its start).
    static QByteArray JpegIccProfile(const QByteArray& jpeg);

private:
    static bool ToSrgbWithLcms(QImage& image, const QByteArray& icc_profile);
};
