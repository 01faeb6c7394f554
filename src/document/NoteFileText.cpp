#include "document/NoteFileText.h"

#include "text/KeyValueStore.h"
#include "text/SectionDocument.h"
#include "text/SectionSources.h"

#include <utility>
#include <vector>


namespace {

constexpr QStringView kPageSeparator = u"-\r\n\r\n";
constexpr QStringView kSeparatorLine = u"\r\n-\r\n";
constexpr QStringView kLineEnd = u"\r\n";
constexpr QStringView kDashLine = u"-\r\n";
// A page keeps the line end before the dash: it ends its last line.
constexpr qsizetype kPageLineEnd = 2;

constexpr QStringView kPageSizeSection = u"NotePage";
const QString kWidthKey = QStringLiteral("Width");
const QString kHeightKey = QStringLiteral("Height");
const QString kDpiKey = QStringLiteral("Dpi");

QString PageSizeText(const NotePageSize& page_size)
{
    QString text = u'[' + kPageSizeSection.toString() + QStringLiteral("]\r\n");
    text += kWidthKey + u'=' + QString::number(page_size.size.width()) + kLineEnd.toString();
    text += kHeightKey + u'=' + QString::number(page_size.size.height()) + kLineEnd.toString();
    if (page_size.dpi > 0)
        text += kDpiKey + u'=' + QString::number(page_size.dpi) + kLineEnd.toString();
    return text + kLineEnd.toString();
}

bool InRange(int value, int minimum, int maximum)
{
    return value >= minimum && value <= maximum;
}

// Takes the page size sections out of a page text and answers the first one. A size without
// both sides is no size; its section goes all the same, so that a save writes one section only.
std::optional<NotePageSize> TakePageSize(QString& page)
{
    SectionDocument sections;
    if (page.isEmpty() || !ParseSectionText(QStringView(page), sections))
        return std::nullopt;
    const std::vector<QStringView> sources = SectionSources(page);
    std::optional<NotePageSize> found;
    std::vector<std::pair<qsizetype, qsizetype>> taken;
    bool first = true;
    for (int i = 0; i < sections.Count() && size_t(i) < sources.size(); ++i) {
        if (sections.Name(i) != kPageSizeSection)
            continue;
        const QStringView source = sources[size_t(i)];
        taken.emplace_back(source.data() - page.constData(), source.size());
        if (!first)
            continue;
        first = false;
        const KeyValueStore& store = sections.Store(i);
        const int width = store.GetInt(kWidthKey);
        const int height = store.GetInt(kHeightKey);
        const int dpi = store.GetInt(kDpiKey);
        if (InRange(width, 1, NotePageSize::kMaxSide) && InRange(height, 1, NotePageSize::kMaxSide))
            found = NotePageSize { QSize(width, height), InRange(dpi, NotePageSize::kMinDpi, NotePageSize::kMaxDpi) ? dpi : 0 };
    }
    // From the last to the first, so that the places of the others stay right.
    for (auto it = taken.rbegin(); it != taken.rend(); ++it)
        page.remove(it->first, it->second);
    return found;
}
}

QString JoinNotePages(const QStringList& pages, const std::optional<NotePageSize>& page_size)
{
    QString text = page_size ? PageSizeText(*page_size) : QString();
    bool first = true;
    for (const QString& page : pages) {
        if (page.isEmpty())
            continue;
        if (!first)
            text += kPageSeparator;
        text += page;
        first = false;
    }
    return text;
}

QStringList CutNotePages(const QString& text, std::optional<NotePageSize>* page_size)
{
    const QStringView all(text);
    QStringList pages;
    qsizetype start = 0;
    for (;;) {
        // Where the next line holding "-" alone starts; a page may be empty.
        qsizetype dash = -1;
        if (all.mid(start).startsWith(kDashLine)) {
            dash = start;
        } else {
            const qsizetype separator = text.indexOf(kSeparatorLine, start);
            if (separator < 0)
                break;
            dash = separator + kPageLineEnd;
        }
        pages.append(text.mid(start, dash - start));
        start = dash + kDashLine.size();
        // The empty line that joining writes after the dash belongs to the separator.
        if (all.mid(start).startsWith(kLineEnd))
            start += kLineEnd.size();
    }
    pages.append(text.mid(start));
    const std::optional<NotePageSize> found = TakePageSize(pages.first());
    if (page_size)
        *page_size = found;
    return pages;
}
