#include "app/AboutBox.h"

#include "app/ProductInfo.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "platform/UserPrompt.h"

void AboutBox::Show()
{
    AboutBox owner;
    LayoutDialogRequest request;
    request.layout = LayoutResource::About;
    request.kind = CanvasKind::Dialog;
    request.caption = QStringLiteral("Tessary バージョン情報");
    request.size = QSize(300, 190);
    request.owner = &owner;
    Dialogs().Run(request);
}

void AboutBox::DialogOpened(Canvas& canvas)
{
    canvas.UpdateItemProperty(QStringLiteral("Version"), QStringLiteral("Text"),
                              QStringLiteral("バージョン %1").arg(ProductInfo::Version()));
}

bool AboutBox::DialogEvent(Canvas& canvas, const ItemEvent& event)
{
    if (event.code != ItemEvent::kShowMessage)
        return false;
    Prompt().ShowMessage(event.extra, kPromptCaption.toString(), MessageIcon::Information);
    return true;
}
