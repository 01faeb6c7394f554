#pragma once

#include "document/Publisher.h"
#include "items/LayoutDialog.h"

#include <optional>

class NoteDocument;
class QWidget;

// The publish command: asks for the note file, the image folder and the naming rule in the
// publish dialog, then publishes the open note. The open note, its pages, path and history
// stay as they are. The copying runs beside the user-interface thread, which meanwhile keeps
// drawing and shows the progress through the idle pass.
class PublishDialog final : public LayoutDialogOwner {
public:
    // Asks and publishes; window is disabled while the copies are made. False when the user
    // cancelled or anything failed (the user has been told).
    static bool Run(NoteDocument& note, QWidget* window);

    // The progress of a running publish in percent; none while no publish runs.
    static std::optional<double> ProgressPercent();

    // LayoutDialogOwner
    bool DialogEvent(Canvas& canvas, const ItemEvent& event) override;
    bool MayEndDialog(Canvas& canvas) override;

private:
    static std::optional<PublishSettings> AskSettings();
    static bool CopyWithProgress(Publisher& publisher, QWidget* window);
};
