#pragma once

#include <QString>

// A page's images may be named relative to the note's folder (notes written by hand, by the
// Windows version or by publishing). Before a note is saved into another folder those names
// are made absolute against the folder they resolve in now, so the saved note finds the same
// images. Absolute names and everything else of the page stay as written.
QString MakeImagePathsAbsolute(const QString& page_text, const QString& folder);
