#include "document/PagePrefetch.h"

#include "document/NoteDocument.h"
#include "items/Canvas.h"
#include "items/DecodeQueue.h"
#include "document/NoteSchema.h"
#include "text/SectionDocument.h"

#include <algorithm>

PagePrefetch::PagePrefetch(const NoteDocument& document, const Canvas& page_canvas)
    : m_document(document)
    , m_page_canvas(page_canvas)
{
}

PagePrefetch::~PagePrefetch() = default;

PagePrefetch::View PagePrefetch::CurrentView() const
{
    const Canvas& canvas = m_page_canvas;
    return View { QSizeF(canvas.LayoutWidth(), canvas.LayoutHeight()), canvas.Zoom(), canvas.Dpi(), canvas.ScreenDpi(),
        canvas.HasBackBuffer() ? canvas.BackBuffer().devicePixelRatio() : 1.0 };
}

bool PagePrefetch::StillWanted(const Prepared& prepared, int current, const View& view) const
{
    return std::abs(prepared.page - current) == 1 && prepared.view == view && m_document.IsValidPage(prepared.page)
        && m_document.PageText(prepared.page) == prepared.text;
}

bool PagePrefetch::IsPrepared(int page) const
{
    return std::any_of(m_prepared.begin(), m_prepared.end(), [page](const Prepared& prepared) { return prepared.page == page; });
}

void PagePrefetch::Idle()
{
    const int current = m_document.CurrentPage();
    const View view = CurrentView();
    std::erase_if(m_prepared, [&](const Prepared& prepared) { return !StillWanted(prepared, current, view); });
    // The page on screen comes first: nothing is prepared while its pictures still decode.
    if (!m_page_canvas.HasBackBuffer() || DecodeQueue::Instance().Pending(DecodePriority::Shown) > 0)
        return;
    for (int page : { current + 1, current - 1 }) {
        if (m_document.IsValidPage(page) && !m_document.PageText(page).isEmpty() && !IsPrepared(page))
            m_prepared.push_back(Prepare(page, view));
    }
}

void PagePrefetch::Drop()
{
    m_prepared.clear();
}

std::vector<int> PagePrefetch::PreparedPages() const
{
    std::vector<int> pages;
    for (const Prepared& prepared : m_prepared)
        pages.push_back(prepared.page);
    return pages;
}

PagePrefetch::Prepared PagePrefetch::Prepare(int page, const View& view) const
{
    Prepared prepared { page, m_document.PageText(page), view, std::make_unique<Canvas>(CanvasKind::Page) };
    Canvas& canvas = *prepared.canvas;
    canvas.SetPictureDecoding(PictureDecoding::Ahead);
    // Image items place themselves against the page's size, not against the part of it a
    // window shows, so a back buffer of one pixel serves: it only carries the pixel ratio.
    canvas.SetScreenDpi(view.screen_dpi);
    canvas.ResizeBackBuffer(1, 1, view.pixel_ratio);
    canvas.SetDpi(view.dpi);
    canvas.SetZoom(view.zoom);
    canvas.SetLayoutSize(float(view.layout.width()), float(view.layout.height()));

    SectionDocument sections;
    if (!ParseSectionText(QStringView(prepared.text), sections))
        return prepared;
    // Relative image paths resolve against the note's folder, as when the page is shown.
    canvas.SetBaseFolder(m_document.PageFolder());
    for (int index = 0; index < sections.Count(); ++index) {
        if (sections.Name(index) == NoteSchema::kImageSection)
            canvas.AddFromSection(sections.Name(index), sections.Store(index));
    }
    return prepared;
}
