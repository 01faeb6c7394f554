#include "noteitems/KeptSection.h"

namespace {

constexpr QStringView kLineEnd = u"\r\n";

}

KeptSection::KeptSection(Canvas& canvas, QStringView source)
    : PlacedItem(canvas)
    , m_source(source.toString())
{
    // The page text writes one empty line after every section; the source's own last empty
    // line stands for it. A source without one (the last section of a page cut by an older
    // version) gets its last line ended.
    if (m_source.endsWith(u"\r\n\r\n"))
        m_source.chop(kLineEnd.size());
    else if (!m_source.endsWith(kLineEnd))
        m_source += kLineEnd;
}

bool KeptSection::Save(QString& section, QString&, SaveMode mode) const
{
    if (mode != SaveMode::Persistent)
        return false;
    section += m_source;
    return true;
}
