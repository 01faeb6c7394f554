#pragma once

#include <QStringView>

#include <cstring>
#include <type_traits>

// The line rules of section text, shared by the UTF-16 and the UTF-8 parser and by stores that
// read their pairs from the lines of a parsed text. Unit is QChar or char; the markers the
// rules look for are all ASCII, so both forms split identically.
//
// Lines end at CR LF only. Empty lines and lines starting with ";" or "//" are skipped, a
// bracketed line of at least three units is a header, and any other line is split at its first
// "=" into a pair (a line without "=" is skipped, and so is a pair before the first header).
// The sink takes Header(name, size) and Pair(key, key_size, value, value_size); Pair returns
// whether to go on.
// Where the lines start: at the top of a text, or inside a section.
enum class SectionLinesStart { BeforeHeaders, InSection };

template <typename Unit, typename Sink>
class SectionLines {
public:
    SectionLines(Sink& sink, SectionLinesStart start)
        : m_sink(sink)
        , m_in_section(start == SectionLinesStart::InSection)
    {
    }

    // Returns false when the sink stopped it.
    bool Parse(const Unit* text, qsizetype size)
    {
        const Unit* end = text + size;
        const Unit* line = text;
        for (;;) {
            const Unit* line_end = FindCrLf(line, end);
            if (!ParseLine(line, line_end))
                return false;
            if (line_end == end)
                return true;
            line = line_end + 2;
        }
    }

private:
    static bool Is(Unit unit, char ascii) { return unit == Unit(ascii); }

    static const Unit* Find(const Unit* from, const Unit* end, char ascii)
    {
        if constexpr (std::is_same_v<Unit, char>) {
            const void* at = std::memchr(from, ascii, size_t(end - from));
            return at ? static_cast<const char*>(at) : end;
        } else {
            const qsizetype at = QStringView(from, end - from).indexOf(QLatin1Char(ascii));
            return at < 0 ? end : from + at;
        }
    }

    // The first CR LF at or after from, or end when there is none. A lone CR or LF is part of
    // the line.
    static const Unit* FindCrLf(const Unit* from, const Unit* end)
    {
        while (from < end) {
            const Unit* at = Find(from, end, '\r');
            if (at == end || (at + 1 < end && Is(at[1], '\n')))
                return at;
            from = at + 1;
        }
        return end;
    }

    bool ParseLine(const Unit* begin, const Unit* end)
    {
        const qsizetype length = end - begin;
        if (length == 0 || Is(begin[0], ';'))
            return true;
        if (length >= 2 && Is(begin[0], '/') && Is(begin[1], '/'))
            return true;
        if (length >= 3 && Is(begin[0], '[') && Is(end[-1], ']')) {
            m_sink.Header(begin + 1, length - 2);
            m_in_section = true;
            return true;
        }
        const Unit* equals = Find(begin, end, '=');
        if (equals == end || !m_in_section)
            return true;
        return m_sink.Pair(begin, equals - begin, equals + 1, end - equals - 1);
    }

    Sink& m_sink;
    bool m_in_section;
};
