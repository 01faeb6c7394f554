#include "document/Pages.h"

#include "items/Canvas.h"
#include "items/NoteItem.h"
#include "platform/UserPrompt.h"

#include <algorithm>

namespace {

// Equal texts, with the shortcut of texts that share their characters (as the stored and the
// saved pages mostly do).
bool SameText(const QString& a, const QString& b)
{
    return (a.size() == b.size() && a.constData() == b.constData()) || a == b;
}

// Whether a save would write the same pages. A save leaves empty pages out, so they are no
// content of their own.
bool SameContent(const QStringList& a, const QStringList& b)
{
    auto next = [](const QStringList& pages, qsizetype index) {
        while (index < pages.size() && pages[index].isEmpty())
            ++index;
        return index;
    };
    qsizetype i = next(a, 0);
    qsizetype j = next(b, 0);
    for (; i < a.size() && j < b.size(); i = next(a, i + 1), j = next(b, j + 1))
        if (!SameText(a[i], b[j]))
            return false;
    return i == a.size() && j == b.size();
}

}

Pages::Pages(Canvas& page_canvas, PagesHost& host)
    : m_canvas(page_canvas)
    , m_host(host)
    , m_document(page_canvas, this)
{
}

bool Pages::PageHasContent() const
{
    const auto& items = m_canvas.Items();
    return std::any_of(items.begin(), items.end(), [](const auto& item) { return item->AsNoteItem() != nullptr; });
}

bool Pages::RecordChanges(ChangeCause cause, std::chrono::steady_clock::time_point now)
{
    std::vector<TrashedFile> trashed = TakeTrashedFiles();
    const int page = Current();
    if (!IsValid(page))
        return false;
    const QString after = NoteDocument::PageTextOf(m_canvas);
    const QString before = m_document.PageText(page);
    if (SameText(after, before))
        return false;
    m_document.SetPageText(page, after);
    const bool burst = cause == ChangeCause::Wheel;
    if (!(burst && trashed.empty() && MergeIntoBurst(page, after, now))) {
        HistoryStep step { StepKind::Edit, page, before, after, std::move(trashed) };
        if (burst)
            step.merge_until = now + kWheelBurst;
        m_history.Record(std::move(step));
    }
    NoteContentChanged();
    return true;
}

bool Pages::RecordPageSizeChange(QSize before)
{
    const int page = Current();
    const QSize after = PageSize();
    if (!IsValid(page) || before == after)
        return false;
    const QString text_before = m_document.PageText(page);
    const QString text_after = NoteDocument::PageTextOf(m_canvas);
    m_document.SetPageText(page, text_after);
    HistoryStep step { StepKind::Edit, page, text_before, text_after, TakeTrashedFiles() };
    step.size_before = before;
    step.size_after = after;
    m_history.Record(std::move(step));
    NoteContentChanged();
    return true;
}

QSize Pages::PageSize() const
{
    const QSize size(int(m_canvas.LayoutWidth()), int(m_canvas.LayoutHeight()));
    return size.width() > 0 && size.height() > 0 ? size : QSize();
}

bool Pages::MergeIntoBurst(int page, const QString& after, std::chrono::steady_clock::time_point now)
{
    HistoryStep* newest = m_history.NewestInEffect();
    if (!newest || newest->kind != StepKind::Edit || newest->page != page || now > newest->merge_until)
        return false;
    newest->after = after;
    newest->merge_until = now + kWheelBurst;
    // A burst that came back to where it began changed nothing.
    if (SameText(newest->before, newest->after))
        m_history.DropNewest();
    return true;
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
        RecordChanges();
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
        m_host.ShowPageCounter();
        return true;
    }
    if (!IsValid(target)) {
        m_host.ShowPageCounter();
        return false;
    }
    return ShowPageNow(target);
}

bool Pages::ShowPageNow(int index)
{
    if (!IsValid(index))
        return false;
    m_host.ResetPageCanvas(Repaint::No);
    // A page that does not load whole still shows what it could.
    m_document.ShowPage(index);
    m_host.RepaintPageCanvas();
    AdoptShownPage();
    m_host.ShowPageCounter();
    m_host.PageShown();
    return true;
}

void Pages::AdoptShownPage()
{
    const int page = Current();
    if (!IsValid(page))
        return;
    const QString shown = NoteDocument::PageTextOf(m_canvas);
    const QString stored = m_document.PageText(page);
    if (SameText(shown, stored))
        return;
    if (m_saved && page < m_saved->size() && SameText((*m_saved)[page], stored))
        (*m_saved)[page] = shown;
    m_document.SetPageText(page, shown);
}

bool Pages::Insert()
{
    RecordChanges();
    const int page = Current();
    m_host.ResetPageCanvas(Repaint::Yes);
    m_document.InsertPage(page);
    m_history.Record({ StepKind::InsertPage, page });
    m_host.ShowPageCounter();
    NoteContentChanged();
    return true;
}

bool Pages::Delete()
{
    if (Count() < 2 || !IsValid(Current()))
        return false;
    RecordChanges();
    const int deleted = Current();
    const QString text = m_document.PageText(deleted);
    m_document.RemovePage(deleted);
    m_history.Record({ StepKind::DeletePage, deleted, text });
    m_document.SetCurrentPage(std::min(deleted, Count() - 1));
    ShowPageNow(Current());
    NoteContentChanged();
    return true;
}

void Pages::ClearPage()
{
    if (!Prompt().AskYesNo(QStringLiteral("このページを消去しますか?"), kPromptCaption.toString()))
        return;
    m_host.ResetPageCanvas(Repaint::Yes);
    RecordChanges();
}

bool Pages::Undo()
{
    RecordChanges();
    HistoryStep* step = m_history.Undoable();
    if (!step || !Apply(*step, Direction::Back))
        return false;
    m_history.StepBack();
    NoteContentChanged();
    return true;
}

bool Pages::Redo()
{
    RecordChanges();
    HistoryStep* step = m_history.Redoable();
    if (!step || !Apply(*step, Direction::Forward))
        return false;
    m_history.StepForward();
    NoteContentChanged();
    return true;
}

bool Pages::Apply(HistoryStep& step, Direction direction)
{
    const bool back = direction == Direction::Back;
    if (step.kind == StepKind::Edit) {
        if (!IsValid(step.page))
            return false;
        ApplyTrash(step, direction);
        // The page size goes first, so that the page is laid out on it as it loads.
        if (const QSize size = back ? step.size_before : step.size_after; size.isValid()) {
            m_canvas.SetLayoutSize(float(size.width()), float(size.height()));
            m_host.PageSizeShown();
        }
        m_document.SetPageText(step.page, back ? step.before : step.after);
        m_document.SetCurrentPage(step.page);
        return ShowPageNow(step.page);
    }
    // Undoing a deleted page and redoing an inserted one put a page in; the other two take
    // one out.
    if ((step.kind == StepKind::InsertPage) != back) {
        if (step.page < 0 || step.page > Count())
            return false;
        m_document.InsertPage(step.page);
        m_document.SetPageText(step.page, step.kind == StepKind::DeletePage ? step.before : QString());
        m_document.SetCurrentPage(step.page);
        return ShowPageNow(step.page);
    }
    if (!IsValid(step.page) || Count() < 2)
        return false;
    m_document.RemovePage(step.page);
    const int shown = std::min(step.page, Count() - 1);
    m_document.SetCurrentPage(shown);
    return ShowPageNow(shown);
}

void Pages::ApplyTrash(HistoryStep& step, Direction direction)
{
    if (direction == Direction::Forward) {
        for (TrashedFile& file : step.trashed)
            if (MoveToTrash(file.original))
                file.in_trash = TakeTrashedFiles().back().in_trash;
        return;
    }
    QStringList lost;
    for (auto file = step.trashed.rbegin(); file != step.trashed.rend(); ++file)
        if (!BringBackFromTrash(*file))
            lost << file->original;
    if (!lost.isEmpty())
        Prompt().ShowMessage(QStringLiteral("ファイルをごみ箱から元に戻せませんでした。\n") + lost.join(u'\n'),
                             kPromptCaption.toString(), MessageIcon::Warning);
}

bool Pages::SaveNote(const QString& path)
{
    RecordChanges();
    if (!m_document.SaveNote(path))
        return false;
    TakeSavedState();
    return true;
}

bool Pages::SaveNoteAs()
{
    RecordChanges();
    if (!m_document.SaveNoteAs())
        return false;
    TakeSavedState();
    return true;
}

void Pages::TakeSavedState()
{
    m_saved = m_document.Pages();
    m_saved_size = PageSize();
    NoteContentChanged();
}

bool Pages::Restore(const NoteSnapshot& snapshot)
{
    if (snapshot.pages.isEmpty())
        return false;
    m_host.ResetPageCanvas(Repaint::No);
    const bool shown = m_document.Restore(snapshot);
    m_host.RepaintPageCanvas();
    m_history.Clear();
    // What the note's file holds is not known: the note counts as modified until it is saved.
    m_saved.reset();
    AdoptShownPage();
    m_host.ShowPageCounter();
    NoteContentChanged();
    return shown;
}

void Pages::NoteContentChanged()
{
    // A note that had no page size yet when it was opened takes the first one without a change.
    const bool resized = m_saved_size.isValid() && PageSize() != m_saved_size;
    m_modified = !m_saved || resized || !SameContent(*m_saved, m_document.Pages());
    m_host.NoteChanged();
}

void Pages::ResetPageCanvas(Canvas&)
{
    m_host.ResetPageCanvas(Repaint::Yes);
}

bool Pages::MayDiscardNote(const QStringList& pages)
{
    RecordChanges();
    if (m_modified)
        return m_host.MayDiscardChanges();
    return NoteHost::MayDiscardNote(pages);
}

void Pages::NoteCleared()
{
    m_history.Clear();
    m_host.NoteCleared();
    m_saved = m_document.Pages();
    m_saved_size = PageSize();
    NoteContentChanged();
}

void Pages::PagesChanged()
{
    m_host.ShowPageCounter();
}

void Pages::NoteOpened()
{
    m_host.NoteOpened();
    m_history.Clear();
    m_saved = m_document.Pages();
    m_saved_size = PageSize();
    AdoptShownPage();
    NoteContentChanged();
}
