#include "document/NoteHost.h"

#include "items/Canvas.h"

void NoteHost::ResetPageCanvas(Canvas& page_canvas)
{
    page_canvas.Clear();
}
