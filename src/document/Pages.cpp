#include "document/Pages.h"

#include "items/Canvas.h"
#include "platform/UserPrompt.h"

Pages::Pages(Canvas& page_canvas, PagesHost& host)
    : m_canvas(page_canvas)
    , m_host(host)
    , m_document(page_canvas, this)
{
}

bool Pages::PageHasContent() const
{
    return m_canvas.ItemCount() > kFrameItemCount;
}

void Pages::RecordStep()
{
    if (RecordQuietly())
        SetModified(true);
}

bool Pages::RecordQuietly()
{
    if (!IsValid(Current()))
        return false;
    m_document.StoreCurrentPage();
    return m_history.Record(Current(), m_document.PageText(Current()));
}

void Pages::SetModified(bool modified)
{
    m_modified = modified;
    m_host.NoteChanged();
}

bool Pages::GoTo(int target, SaveBack save_back)
{
    if (!IsValid(Current())) {
        m_host.ShowPageCounter();
        return false;
    }
    if (save_back == SaveBack::Yes) {
        if (target == Current())
            return true;
        m_document.StoreCurrentPage();
    }
    if (target == Count() && !m_host.IsLocked()) {
        // A new page is made only from a page that holds something, so repeated next-page
        // presses stop at one empty page.
        if (!PageHasContent()) {
            m_host.ShowPageCounter();
            return false;
        }
        m_host.ResetPageCanvas(Repaint::Yes);
        m_document.InsertPage(target);
        m_document.SetCurrentPage(target);
    } else if (IsValid(target)) {
        m_host.ResetPageCanvas(Repaint::No);
        m_document.ShowPage(target);
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
    m_document.StoreCurrentPage();
    m_host.ResetPageCanvas(Repaint::Yes);
    m_document.InsertPage(Current());
    RecordQuietly();
    SetModified(true);
    m_host.ShowPageCounter();
    return true;
}

bool Pages::Delete()
{
    if (Count() < 2 || !IsValid(Current()))
        return false;
    m_host.ResetPageCanvas(Repaint::Yes);
    const int deleted = Current();
    m_document.RemovePage(deleted);
    const int shown = std::min(deleted, Count() - 1);
    m_document.SetCurrentPage(shown);
    GoTo(shown, SaveBack::No);
    RecordQuietly();
    SetModified(true);
    m_host.ShowPageCounter();
    return true;
}

void Pages::ClearPage()
{
    if (!Prompt().AskYesNo(QStringLiteral("このページを消去しますか?"), kPromptCaption.toString()))
        return;
    m_host.ResetPageCanvas(Repaint::Yes);
    RecordStep();
}

bool Pages::Undo()
{
    if (m_history.IsEmpty() || m_history.IsCurrentNewest())
        RecordStep();
    const bool moved = m_history.StepBack();
    const bool shown = ShowStep();
    if (moved)
        SetModified(true);
    return shown;
}

bool Pages::Redo()
{
    const bool moved = m_history.StepForward();
    const bool shown = ShowStep();
    if (moved)
        SetModified(true);
    return shown;
}

bool Pages::ShowStep()
{
    const HistoryStep* step = m_history.Current();
    if (!step || !IsValid(step->page))
        return false;
    m_document.SetPageText(step->page, step->text);
    return GoTo(step->page, SaveBack::No);
}

bool Pages::SaveNote(const QString& path)
{
    if (!m_document.SaveNote(path))
        return false;
    SetModified(false);
    return true;
}

bool Pages::Restore(const NoteSnapshot& snapshot)
{
    if (snapshot.pages.isEmpty())
        return false;
    m_host.ResetPageCanvas(Repaint::No);
    const bool shown = m_document.Restore(snapshot);
    m_host.RepaintPageCanvas();
    m_history.Clear();
    RecordQuietly();
    SetModified(true);
    m_host.ShowPageCounter();
    return shown;
}

void Pages::ResetPageCanvas(Canvas&)
{
    m_host.ResetPageCanvas(Repaint::Yes);
}

void Pages::NoteCleared()
{
    m_history.Clear();
    m_history.Record(0, QString());
    m_host.NoteCleared();
    SetModified(false);
}

void Pages::PagesChanged()
{
    m_host.ShowPageCounter();
}

void Pages::NoteOpened()
{
    m_host.NoteOpened();
    m_history.Clear();
    RecordQuietly();
    SetModified(false);
}
