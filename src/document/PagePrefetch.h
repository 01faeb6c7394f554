#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class Canvas;
class NoteDocument;

// Decodes the pictures of the pages before and after the current one while the user looks at
// it, at idle priority and at the sizes they will be shown, so that turning the page finds
// them decoded. Each neighbour is prepared on a window-less canvas of its own with the page
// canvas's view, holding the page's image items for as long as they are wanted: letting go of
// it drops whatever of their decoding has not started.
class PagePrefetch {
public:
    // Both must outlive the prefetch.
    PagePrefetch(const NoteDocument& document, const Canvas& page_canvas);
    ~PagePrefetch();
    PagePrefetch(const PagePrefetch&) = delete;
    PagePrefetch& operator=(const PagePrefetch&) = delete;

    // Called when the user is idle. Pages that are no longer the current page's neighbours, or
    // whose text or view changed, are let go at once; once nothing the current page shows
    // still decodes, the neighbours are prepared.
    void Idle();
    // Lets go of every prepared page.
    void Drop();
    // The pages prepared now.
    std::vector<int> PreparedPages() const;

private:
    // What decides the size the page's pictures are shown at.
    struct View {
        QSizeF layout;
        float zoom { 1 };
        float dpi { 0 };
        float screen_dpi { 0 };
        qreal pixel_ratio { 1 };
        bool operator==(const View&) const = default;
    };
    struct Prepared {
        int page { -1 };
        QString text;
        View view;
        std::unique_ptr<Canvas> canvas;
    };

    View CurrentView() const;
    bool StillWanted(const Prepared& prepared, int current, const View& view) const;
    bool IsPrepared(int page) const;
    Prepared Prepare(int page, const View& view) const;

    const NoteDocument& m_document;
    const Canvas& m_page_canvas;
    std::vector<Prepared> m_prepared;
};
