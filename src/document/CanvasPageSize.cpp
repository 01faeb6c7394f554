#include "document/CanvasPageSize.h"

#include "items/Canvas.h"

#include <cmath>

namespace CanvasPageSize {

std::optional<NotePageSize> Of(const Canvas& canvas)
{
    const int width = int(canvas.LayoutWidth());
    const int height = int(canvas.LayoutHeight());
    if (width < 1 || height < 1)
        return std::nullopt;
    const int dpi = int(std::lround(canvas.Dpi()));
    return NotePageSize { QSize(width, height), dpi >= NotePageSize::kMinDpi && dpi <= NotePageSize::kMaxDpi ? dpi : 0 };
}

bool Apply(Canvas& canvas, const NotePageSize& page_size)
{
    bool changed = canvas.SetLayoutSize(float(page_size.size.width()), float(page_size.size.height()));
    if (page_size.dpi > 0)
        changed |= canvas.SetDpi(float(page_size.dpi));
    return changed;
}

}
