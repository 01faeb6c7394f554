#include "document/PagesHost.h"

#include "platform/UserPrompt.h"

bool PagesHost::MayDiscardChanges()
{
    return Prompt().AskYesNo(QStringLiteral("ノートを消去しますか?"), kPromptCaption.toString());
}
