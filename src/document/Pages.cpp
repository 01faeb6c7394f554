#include "document/Pages.h"

#include "items/Canvas.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"
#include "text/SectionDocument.h"

#include <algorithm>

namespace {

bool AskYesNo(const QString& question)
{
    return Prompt().AskYesNo(question, kPromptCaption.toString());
}

}

Pages::Pages(Canvas& page_canvas, PagesHost& host)
    : m_canvas(page_canvas)
    , m_host(host)
{
}

bool Pages::PageHasContent() const
{
    return m_canvas.ItemCount() > kFrameItemCount;
}

QString Pages::PageTextOfCanvas() const
{
    QString text;
    m_canvas.SaveItems(text);
    return text;
}

bool Pages::LoadPageText(const QString& text)
{
    SectionDocument document;
    if (!ParseSectionText(text, document))
        return false;
    for (int index = 0; index < document.Count(); ++index)
        m_canvas.AddFromSection(document.Name(index), document.Store(index));
    return true;
}

void Pages::SaveCanvasBack()
{
    if (IsValid(m_current))
        m_pages[m_current] = PageTextOfCanvas();
}

void Pages::ReplaceAll(const QStringList& pages)
{
    m_pages = pages.isEmpty() ? QStringList { QString() } : pages;
    m_current = 0;
}

QString Pages::NoteFolder() const
{
    return m_note_path.isEmpty() ? ProgramFolder() : FolderOf(m_note_path);
}

void Pages::RecordStep()
{
    if (!IsValid(m_current))
        return;
    SaveCanvasBack();
    m_history.Record(m_current, m_pages[m_current]);
}

void Pages::RestartHistory()
{
    m_history.Clear();
    RecordStep();
}

bool Pages::GoTo(int target, SaveBack save_back)
{
    if (!IsValid(m_current)) {
        m_host.ShowPageCounter();
        return false;
    }
    if (save_back == SaveBack::Yes) {
        if (target == m_current)
            return true;
        SaveCanvasBack();
    }
    const bool past_end = target == Count() && !m_host.IsLocked();
    if (past_end) {
        // A new page is made only from a page that holds something, so repeated next-page
        // presses stop at one empty page.
        if (!PageHasContent()) {
            m_host.ShowPageCounter();
            return false;
        }
        m_host.ResetPageCanvas(Repaint::Yes);
        m_current = target;
        m_pages.append(QString());
    } else if (IsValid(target)) {
        m_host.ResetPageCanvas(Repaint::No);
        m_current = target;
        if (!m_pages[target].isEmpty()) {
            SetCurrentFolder(NoteFolder());
            LoadPageText(m_pages[target]);
        }
        m_host.RepaintPageCanvas();
    } else {
        m_host.ShowPageCounter();
        return false;
    }
    m_host.ShowPageCounter();
    return true;
}

bool Pages::Insert()
{
    SaveCanvasBack();
    m_host.ResetPageCanvas(Repaint::Yes);
    m_current = std::clamp(m_current, 0, Count());
    m_pages.insert(m_current, QString());
    RecordStep();
    m_host.ShowPageCounter();
    return true;
}

bool Pages::Delete()
{
    if (Count() < 2 || !IsValid(m_current))
        return false;
    m_host.ResetPageCanvas(Repaint::Yes);
    m_pages.removeAt(m_current);
    m_current = std::min(m_current, Count() - 1);
    GoTo(m_current, SaveBack::No);
    RecordStep();
    m_host.ShowPageCounter();
    return true;
}

void Pages::ClearPage()
{
    if (!AskYesNo(QStringLiteral("このページを消去しますか?")))
        return;
    m_host.ResetPageCanvas(Repaint::Yes);
    RecordStep();
}

bool Pages::ClearNote()
{
    if (!m_pages.isEmpty() && !m_pages.first().isEmpty() && !AskYesNo(QStringLiteral("ノートを消去しますか?")))
        return false;
    m_host.ResetPageCanvas(Repaint::Yes);
    m_note_path.clear();
    m_pages = QStringList { QString() };
    m_current = 0;
    m_history.Clear();
    m_history.Record(0, QString());
    m_host.ShowPageCounter();
    m_host.NoteCleared();
    return true;
}

bool Pages::Undo()
{
    if (m_history.IsEmpty() || m_history.IsCurrentNewest())
        RecordStep();
    m_history.StepBack();
    return ShowStep();
}

bool Pages::Redo()
{
    m_history.StepForward();
    return ShowStep();
}

bool Pages::ShowStep()
{
    const HistoryStep* step = m_history.Current();
    if (!step || !IsValid(step->page))
        return false;
    m_pages[step->page] = step->text;
    return GoTo(step->page, SaveBack::No);
}
