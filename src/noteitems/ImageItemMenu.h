#pragma once

#include "platform/UserPrompt.h"

#include <QPoint>
#include <QString>

#include <cstdint>

class ImageItem;

// The image item's context menu and the commands behind it: duplicate, delete, clear the
// trims, turn, tile, open the folder, scatter the folder's images over the page, save the
// shown image into a new file, the zoom steps, the fits and delete the file.
class ImageItemMenu {
public:
    // The menu's entries, numbered in the order they are shown (separators not counted).
    enum Command : int {
        kDuplicate = 0,
        kDelete,
        kClearTrim,
        kRotateRight,
        kRotateLeft,
        kRepeat,
        kOpenFolder,
        kScatter,
        kSaveImage,
        kZoomHalf,
        kZoomOne,
        kZoomTwo,
        kFitToScreen,
        kFit320,
        kFit640,
        kDeleteFile,
    };
    // How far a duplicate lies right of and below its original, in page units.
    static constexpr float kDuplicateOffset = 30;

    enum class QualityQuestion { Ask, DontAsk };

    static PopupMenu Build(const ImageItem& item);
    // Shows the menu at the screen point and runs the chosen command. False when the menu was
    // dismissed. The item may be gone afterwards (delete, delete file, a failed turn).
    static bool Show(ImageItem& item, QPoint screen_position);
    // Runs a command as the menu does: repaints what changed and reports a change with an
    // undo step. The item may be gone afterwards.
    static void Run(ImageItem& item, int command);

    // Adds a copy on top of the page, offset, and makes it the active item.
    static ImageItem* Duplicate(ImageItem& item);
    // Shows the whole image again at the item's scale.
    static bool ClearTrim(ImageItem& item);
    // Puts every other image of the item's folder on the page at random places, each as
    // large (width plus height) as the item. Answers how many were added.
    static int Scatter(ImageItem& item);
    // Asks for a file and bakes the item into it; tells the user when that fails. Writing over
    // the picture's own file, or over another image of the note, takes a second question.
    static bool SaveImage(ImageItem& item);
    // The name the save dialog proposes: beside the picture's file, "_2", "_3", ... after its
    // name, the first that names no file and no image of the note, so that accepting it never
    // costs the original.
    static QString ProposedSavePath(const ImageItem& item);
    // Writes what the item shows into an image file of its size, in the format of the path's
    // extension, and makes the item show that file. False, with the item unchanged, when the
    // extension is unknown, the quality question was cancelled or the file was not written;
    // reason (when given) then tells why, and is empty after a cancel.
    static bool Bake(ImageItem& item, const QString& path, QualityQuestion question, QString* reason = nullptr);

    // The save dialog's filter for a picture of the extension (with its dot, any case): its own
    // format first, PNG first for a format the program does not write.
    static QString SaveFilter(const QString& extension);
    // The extension (without the dot) the save dialog adds to a name typed without one: the
    // picture's own when the program writes it, else "png".
    static QString SaveExtension(const QString& extension);
    // The next value, from 0 to 32767, of the C runtime's pseudo-random sequence. Scatter
    // starts from state 1 at every start of the program, so a fresh run scatters the same way.
    static int NextRandom(std::uint32_t& state);

    // Asks first, then moves the item's file to the trash and takes the item off the page.
    static void DeleteFile(ImageItem& item);

private:
    static bool TryBake(ImageItem& item, const QString& path, QualityQuestion question, QString& reason);
    static bool FitLongestSide(ImageItem& item, float side);
    static bool RunInPlace(ImageItem& item, int command);
};
