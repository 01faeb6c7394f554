#include "document/NoteHost.h"

#include "items/Canvas.h"
#include "platform/UserPrompt.h"

void NoteHost::ResetPageCanvas(Canvas& page_canvas)
{
    page_canvas.Clear();
}

bool NoteHost::MayDiscardNote(const QStringList& pages)
{
    if (pages.isEmpty() || pages.first().isEmpty())
        return true;
    return Prompt().AskYesNo(QStringLiteral("ノートを消去しますか?"), kPromptCaption.toString());
}
