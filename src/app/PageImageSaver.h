#pragma once

#include <QString>
#include <QStringView>

class PageWindow;

// Saves the page the main window shows as one picture (the `SavePage` button): the save
// dialog, then the page's items rendered off-screen at the viewer size over the background
// colour of the `BackColor` knob, written in the format of the extension (JPEG after the
// quality question).
class PageImageSaver {
public:
    explicit PageImageSaver(PageWindow& window);

    // Asks for a path and exports the page there. False when cancelled or failed.
    bool SaveWithDialog();
    // Exports the page shown to the path. False when the extension is unknown, the path is
    // the note, the user would not have an image of the note written over, the quality
    // question was cancelled or the picture could not be made or written; the failures are
    // reported.
    bool ExportPage(const QString& path);

    // The name the save dialog proposes, relative like the dialog takes it: "NewFile", or
    // "NewFile_2", "NewFile_3", ... when "NewFile.jpg" in the dialog's folder is an image of
    // the note.
    QString ProposedName() const;

private:
    static constexpr QStringView kProposedName = u"NewFile";
    static constexpr QStringView kProposedExtension = u".jpg";

    // Tells the user the page was not saved, and why; answers false.
    static bool ReportFailure(const QString& path, const QString& reason);

    PageWindow& m_window;
};
