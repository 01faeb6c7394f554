#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Whether the orientation a photograph records beside its pixels (the EXIF tag of JPEG and
// TIFF files) is applied. Cameras and phones store portrait photographs lying on their side
// and record how to turn them; every photo viewer turns them upright. Images placed by older
// versions of the program were shown as stored, and stay so. Formats whose orientation is
// part of the image itself (HEIF, AVIF, JPEG XL) are always shown as their file defines them.
enum class ExifOrientation { Ignore, Apply };

// How a file is read. Part of what identifies decoded pixels: the same file read with other
// options gives other pixels.
struct ImageReadOptions {
    ExifOrientation orientation { ExifOrientation::Ignore };
    bool operator==(const ImageReadOptions&) const = default;
};

// Why a file could not be read.
enum class ImageReadFailure {
    None,
    Missing,
    NotPermitted,
    Unsupported,
    Damaged,
    TooLarge,
    NoImageInFolder,
    // A pipe, a device or a socket: opening one could wait for ever, so it is never opened.
    NotAFile,
};

// What the start of an image file tells: enough to place the image without its pixels.
struct ImageFileHeader {
    ImageReadFailure failure { ImageReadFailure::Missing };
    // In the frame the options give: a portrait photograph read upright is taller than wide.
    QSize natural_size;
    // Whether the pixels may be transparent.
    bool has_alpha { false };
    bool IsReadable() const { return failure == ImageReadFailure::None; }
};

// Everything that depends on an image file's format: the header, and the pixels at a requested
// size, turned upright when asked, converted from the file's colour profile to sRGB and in
// the drawing format (ImageDecoder::PrepareForDrawing). JPEG, PNG, GIF, BMP, TIFF and WebP are
// read by Qt's image readers (JPEG decoding straight at a reduced size); HEIF and AVIF by
// libheif; JPEG XL by libjxl. The format is known by the file's content, not its name.
//
// Sizes are limited as for every format: an image needs at most ImageDecoder's allocation
// limit decoded, whatever its header claims.
//
// Every function may be called from any thread.
class ImageFileReader {
public:
    static ImageFileHeader ReadHeader(const QString& path, const ImageReadOptions& options = {});

    // The pixels at size (an invalid or empty size: the natural size), or null when the file
    // cannot be decoded. When natural_size is given, a file that is no longer the image whose
    // header was read (replaced since) gives null too.
    static QImage ReadPixels(const QString& path, QSize size, const ImageReadOptions& options = {},
                             QSize natural_size = {});

    // Why a file cannot be shown: its header is read and its pixels decoded at a small size.
    // A folder counts as readable when one of its own images is. None when it is readable.
    static ImageReadFailure Check(const QString& path);
    // Check, remembered for the version of the file (its identity) that was checked, so that a
    // page shown again, an undo or another page with the same photograph costs no decode.
    static ImageReadFailure CheckRemembered(const QString& path);
    // Whether an image of this size decoded fits in ImageDecoder's allocation limit.
    static bool FitsAllocationLimit(QSize size);

    // The reason a user reads, for instance "ファイルが壊れています"; empty for None.
    static QString ReasonText(ImageReadFailure failure);
    // The reason text for a file that cannot be shown, empty when it can (see Check).
    static QString Probe(const QString& path);
    // "photo.heic を開けませんでした: 対応していない形式です", naming the file as shown.
    static QString FailureMessage(const QString& shown_name, ImageReadFailure failure);
};
