#pragma once

#include <QString>

#include <functional>

class Canvas;

// Where a picture may be saved without costing the user an image: a proposed name is always
// free, and writing over the picture's own file or any image the canvas's document uses
// takes the user's consent.
namespace ImageSaveTarget {

// Whether a path is taken: true for a path that must not be proposed.
using IsTaken = std::function<bool(const QString& path)>;

// The first of FOLDER/NAME_2.EXT, FOLDER/NAME_3.EXT, ... (as the parts of stem + extension
// say) that names nothing on disk and that is_taken (when given) does not refuse.
QString FreePath(const QString& stem, const QString& extension, const IsTaken& is_taken = {});

// Asks before a save writes over a file the canvas's document uses, or over source (the
// picture's own file, when given), naming the file. True when the save may go on: nothing
// is written over, or the user answered Yes. Writing a picture over the document itself is
// refused with a message.
bool MayWrite(const Canvas& canvas, const QString& path, const QString& source = {});

// The question asked before writing over an image.
QString WriteOverQuestion(const QString& path);

}
