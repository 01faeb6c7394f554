#include "items/LayoutDialog.h"

#include "items/ItemEvent.h"
#include "items/Item.h"
#include "items/NestedEventScope.h"
#include "platform/Message.h"
#include "platform/ModalScope.h"
#include "platform/Paths.h"
#include "text/SectionDocument.h"

#include <algorithm>

namespace {

// Without a window system (the command-line export) no dialog can be shown.
class NoDialogs final : public LayoutDialogRunner {
protected:
    bool RunModal(const LayoutDialogRequest&) override { return false; }
};

std::unique_ptr<LayoutDialogRunner>& InstalledRunner()
{
    static std::unique_ptr<LayoutDialogRunner> runner;
    return runner;
}

}

LayoutDialog::LayoutDialog(const LayoutDialogRequest& request, CanvasHost* host)
    : m_request(request)
    , m_own_canvas(std::make_unique<Canvas>(request.kind, host))
    , m_canvas(m_own_canvas.get())
{
    InstallHandlers();
}

LayoutDialog::LayoutDialog(const LayoutDialogRequest& request, Canvas& canvas)
    : m_request(request)
    , m_canvas(&canvas)
{
    InstallHandlers();
}

void LayoutDialog::InstallHandlers()
{
    m_canvas->SetEventHandler([this](const ItemEvent& event) { return HandleEvent(event); });
    m_canvas->SetKeyHandler([this](const Message& message, bool consumed) { return HandleKey(message, consumed); });
    m_canvas->SetShowsFocus(true);
}

bool LayoutDialog::Load()
{
    const QString text = m_request.layout ? LoadLayoutText(*m_request.layout) : m_request.layout_text;
    return OpenFromText(text);
}

bool LayoutDialog::OpenFromText(const QString& text)
{
    m_canvas->Clear();
    SectionDocument document;
    if (text.isEmpty() || !ParseSectionText(text, document))
        return false;
    // Layouts name their pictures relative to the program's folder.
    m_canvas->SetBaseFolder(ProgramFolder());
    for (int index = 0; index < document.Count(); ++index)
        m_canvas->AddFromSection(document.Name(index), document.Store(index));
    m_canvas->RenderVisibleArea(OpaqueShortcut::On);
    m_canvas->Present(PresentScope::All, UpdateTiming::Later);
    return true;
}

void LayoutDialog::Opened()
{
    if (m_request.owner)
        m_request.owner->DialogOpened(*m_canvas);
}

bool LayoutDialog::HandleEvent(const ItemEvent& event)
{
    if (m_ended)
        return true;
    if (event.text == u"OK" && event.code == ItemEvent::kChanged) {
        if (!m_request.owner || m_request.owner->MayEndDialog(*m_canvas))
            End(true);
        return true;
    }
    if (event.text == u"Cancel" && event.code == ItemEvent::kChanged) {
        End(false);
        return true;
    }
    return m_request.owner && m_request.owner->DialogEvent(*m_canvas, event);
}

bool LayoutDialog::HandleKey(const Message& message, bool consumed)
{
    if (m_ended)
        return consumed;
    switch (message.key) {
    case Key::Return: {
        // A single-line field has committed its text by now.
        const Item* focused = FocusedItem(message);
        if (focused && focused->TypesNewLines() && focused->IsKeySource(message))
            return consumed;
        const bool cancel = focused && focused->Name() == u"Cancel";
        HandleEvent(ItemEvent { cancel ? QStringLiteral("Cancel") : QStringLiteral("OK"), {}, ItemEvent::kChanged, {} });
        return true;
    }
    case Key::Escape:
        End(false);
        return true;
    case Key::Tab:
        if (!consumed)
            MoveFocus(message.shift ? -1 : 1, message);
        return true;
    default:
        return consumed;
    }
}

Item* LayoutDialog::FocusedItem(const Message& message) const
{
    if (message.source) {
        for (const auto& item : m_canvas->Items())
            if (item->IsKeySource(message))
                return item.get();
    }
    return m_canvas->ActiveItem();
}

std::vector<Item*> LayoutDialog::FocusChain() const
{
    std::vector<Item*> chain;
    for (const auto& item : m_canvas->Items())
        if (item->AcceptsFocus() && item->IsShownIn(m_canvas->CurrentGroup()))
            chain.push_back(item.get());
    return chain;
}

void LayoutDialog::MoveFocus(int direction, const Message& from)
{
    const std::vector<Item*> chain = FocusChain();
    if (chain.empty())
        return;
    Item* current = FocusedItem(from);
    const auto found = std::find(chain.begin(), chain.end(), current);
    const int count = int(chain.size());
    int index = direction > 0 ? 0 : count - 1;
    if (found != chain.end())
        index = (int(found - chain.begin()) + (direction > 0 ? 1 : count - 1)) % count;
    Item* next = chain[size_t(index)];
    Canvas::DispatchGuard guard(*m_canvas);
    if (current && current != next) {
        current->LoseFocus(FocusEnd::Commit);
        m_canvas->SetActiveItem(nullptr);
        m_canvas->Refresh(*current);
    }
    // The keys come to the dialog's window again, unless the next widget is a text field,
    // whose edit window takes them.
    if (CanvasHost* host = m_canvas->Host())
        host->TakeKeyboardFocus();
    m_canvas->SetActiveItem(next);
    next->TakeFocus();
    m_canvas->Refresh(*next);
}

void LayoutDialog::End(bool result)
{
    if (m_ended)
        return;
    m_result = result;
    m_ended = true;
    if (m_end_handler)
        m_end_handler();
}

void LayoutDialog::ReadResults()
{
    if (m_request.read_results)
        m_request.read_results(*m_canvas, m_result);
}

QString LayoutDialog::FailureMessage()
{
    return QStringLiteral("リソース読み込みに失敗しました。");
}

bool LayoutDialogRunner::Run(const LayoutDialogRequest& request)
{
    ModalScope modal;
    NestedEventScope nested_events;
    return RunModal(request);
}

LayoutDialogRunner& Dialogs()
{
    static NoDialogs none;
    auto& installed = InstalledRunner();
    return installed ? *installed : static_cast<LayoutDialogRunner&>(none);
}

void SetDialogs(std::unique_ptr<LayoutDialogRunner> runner)
{
    InstalledRunner() = std::move(runner);
}
