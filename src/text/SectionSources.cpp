#include "text/SectionSources.h"

#include "text/SectionLines.h"

namespace {

// Notes where each header line starts; the key lines are of no interest here.
class HeaderStarts {
public:
    void Header(const QChar* name, qsizetype) { starts.push_back(name - 1); }
    bool Pair(const QChar*, qsizetype, const QChar*, qsizetype) { return true; }

    std::vector<const QChar*> starts;
};

}

std::vector<QStringView> SectionSources(QStringView text)
{
    HeaderStarts headers;
    SectionLines<QChar, HeaderStarts>(headers, SectionLinesStart::BeforeHeaders).Parse(text.data(), text.size());
    std::vector<QStringView> sources;
    sources.reserve(headers.starts.size());
    const QChar* end = text.data() + text.size();
    for (size_t index = 0; index < headers.starts.size(); ++index) {
        const QChar* next = index + 1 < headers.starts.size() ? headers.starts[index + 1] : end;
        sources.emplace_back(headers.starts[index], next - headers.starts[index]);
    }
    return sources;
}
