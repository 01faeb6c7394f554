#pragma once

#include "document/NoteFileText.h"

#include <optional>

class Canvas;

// The page size of a note as the page canvas holds it: its layout size and resolution.
namespace CanvasPageSize {

// None while the canvas has no page size of its own.
std::optional<NotePageSize> Of(const Canvas& canvas);
// Gives the canvas the note's page size, and its resolution when the note knows one. Returns
// whether anything changed.
bool Apply(Canvas& canvas, const NotePageSize& page_size);

}
