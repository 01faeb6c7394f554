#pragma once

#include <QString>
#include <QStringView>

class KeyValueStore;

// The words of a note page that more than one part of the program reads: the section names of
// the page items and the keys by which an image section names its file. The items read and
// write the rest of their sections themselves.
namespace NoteSchema {

constexpr QStringView kImageSection = u"TSImage";
constexpr QStringView kTextSection = u"Text";
constexpr QStringView kMandelbrotSection = u"Mandelbrot";
// Not an item: it sets the page canvas's group and resolution.
constexpr QStringView kViewerSection = u"Viewer";

constexpr QStringView kFileNameKey = u"FileName";
constexpr QStringView kFolderPathKey = u"FolderPath";

// How far the shown part of an image is cut in from each side of its picture, in page units.
struct ImageTrims {
    float left { 0 };
    float top { 0 };
    float right { 0 };
    float bottom { 0 };
    bool operator==(const ImageTrims&) const = default;
};

// The value of the FileName key: the image file and the four trims.
struct FileNameValue {
    QString path;
    ImageTrims trims;
    // How many fields of the value the path takes (it may hold commas); 0 for an empty value.
    int path_fields { 0 };
};

// The path and trims of a FileName value. A path may hold commas: when the value has more
// than five fields, the path is everything before the last four. A missing, negative or
// unreadable trim reads as 0.
FileNameValue ParseFileName(const QString& value);
// The image file an image section names, as written; empty when it names none.
QString ImageFileOf(const KeyValueStore& store);

}
