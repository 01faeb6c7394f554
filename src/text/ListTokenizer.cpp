#include "text/ListTokenizer.h"

#include "text/ValueForms.h"

#include <utility>

namespace {

// Removes every range from `open` up to and including the next `close`. The search goes on
// after each removed range. A start marker without its end marker is kept as ordinary text,
// together with everything after it: a one-line value such as "http://host" loses nothing.
QString RemoveComments(const QString& text, QStringView open, QStringView close)
{
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = text.indexOf(open, from);
        if (start < 0)
            break;
        const qsizetype end = text.indexOf(close, start + open.size());
        if (end < 0)
            break;
        ranges.emplace_back(start, end + close.size());
        from = end + close.size();
    }
    if (ranges.empty())
        return text;
    QString result = text;
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
        result.remove(range->first, range->second - range->first);
    return result;
}

QStringList TokenizeRow(QStringView row, ListTokenizer::EmptyFields empty_fields)
{
    QStringList fields;
    QString field;
    auto store = [&] {
        if (empty_fields == ListTokenizer::EmptyFields::Keep || !field.isEmpty())
            fields.append(field);
        field.clear();
    };
    bool in_quotes = false;
    bool escape_pending = false;
    for (QChar c : row) {
        if (escape_pending) {
            escape_pending = false;
            // An unknown escape is dropped together with its backslash.
            if (const std::optional<QChar> escaped = EscapedCharacter(c))
                field += *escaped;
        } else if (!in_quotes && c == u',') {
            store();
        } else if (in_quotes && c == u'\\') {
            escape_pending = true;
        } else if (c == u'"') {
            in_quotes = !in_quotes;
        } else if (c == u'\r' || c == u'\n') {
            store();
            return fields;
        } else {
            field += c;
        }
    }
    // A trailing comma adds no field.
    if (!field.isEmpty())
        fields.append(field);
    return fields;
}

}

ListTokenizer::ListTokenizer(const QString& text, EmptyFields empty_fields)
{
    const QString clean = RemoveComments(RemoveComments(text, u"//", u"\n"), u"/*", u"*/");
    qsizetype start = 0;
    while (start < clean.size()) {
        qsizetype end = clean.indexOf(u'\n', start);
        if (end < 0)
            end = clean.size();
        QStringList row = TokenizeRow(QStringView(clean).mid(start, end - start), empty_fields);
        if (empty_fields == EmptyFields::Keep || !row.isEmpty())
            m_rows.push_back(std::move(row));
        start = end + 1;
    }
}

int ListTokenizer::RowCount() const
{
    return int(m_rows.size());
}

const QStringList& ListTokenizer::Row(int index) const
{
    static const QStringList kNoRow;
    if (index < 0 || size_t(index) >= m_rows.size())
        return kNoRow;
    return m_rows[size_t(index)];
}

QString ListTokenizer::Text(int index, const QString& fallback) const
{
    const QStringList& row = Row(0);
    if (index < 0 || index >= row.size())
        return fallback;
    return row[index];
}

float ListTokenizer::Float(float fallback) const
{
    const QStringList& row = Row(0);
    return row.isEmpty() ? fallback : ToFloat(row[0]);
}

bool ListTokenizer::Bool(int index) const
{
    const QStringList& row = Row(0);
    if (index < 0 || index >= row.size())
        return true;
    return row[index] == u"true";
}
