#include "items/LayoutDialog.h"

#include "items/ItemEvent.h"
#include "text/SectionDocument.h"

namespace {

// Without a window system (the command-line export) no dialog can be shown.
class NoDialogs final : public LayoutDialogRunner {
public:
    bool Run(const LayoutDialogRequest&) override { return false; }
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
    m_canvas->SetEventHandler([this](const ItemEvent& event) { return HandleEvent(event); });
}

LayoutDialog::LayoutDialog(const LayoutDialogRequest& request, Canvas& canvas)
    : m_request(request)
    , m_canvas(&canvas)
{
    m_canvas->SetEventHandler([this](const ItemEvent& event) { return HandleEvent(event); });
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
