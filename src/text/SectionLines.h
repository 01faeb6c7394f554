#pragma once

#include <QStringView>

#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
            const Line found = ScanLine(line, end);
            if (!ParseLine(line, found.end, found.equals))
                return false;
            if (found.end == end)
                return true;
            line = found.end + 2;
        }
    }

private:
    // Where a line ends (its CR LF, or the end of the text) and its first "=" (or its end).
    struct Line {
        const Unit* end;
        const Unit* equals;
    };

    static Line ScanLine(const Unit* from, const Unit* end)
    {
#if defined(__SSE2__)
        if constexpr (std::is_same_v<Unit, char>)
            return ScanBytes(from, end);
#endif
        const Unit* line_end = FindCrLf(from, end);
        return { line_end, Find(from, line_end, '=') };
    }

#if defined(__SSE2__)
    // Both searches in one pass over 16 bytes at a time: lines are short, and a library search
    // per marker would cost more in calls than in scanning.
    static Line ScanBytes(const char* from, const char* end)
    {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i equals_sign = _mm_set1_epi8('=');
        const char* equals = nullptr;
        const char* at = from;
        for (; end - at >= 16; at += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            unsigned crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
            const unsigned equal_signs = equals ? 0u : unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, equals_sign)));
            for (; crs != 0; crs &= crs - 1) {
                const int offset = __builtin_ctz(crs);
                if (at + offset + 1 < end && at[offset + 1] == '\n') {
                    const unsigned before = equal_signs & ((1u << offset) - 1);
                    if (!equals && before != 0)
                        equals = at + __builtin_ctz(before);
                    return { at + offset, equals ? equals : at + offset };
                }
            }
            if (!equals && equal_signs != 0)
                equals = at + __builtin_ctz(equal_signs);
        }
        for (; at < end; ++at) {
            if (*at == '\r' && at + 1 < end && at[1] == '\n')
                break;
            if (*at == '=' && !equals)
                equals = at;
        }
        return { at, equals ? equals : at };
    }
#endif

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

    bool ParseLine(const Unit* begin, const Unit* end, const Unit* equals)
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
        if (equals == end || !m_in_section)
            return true;
        return m_sink.Pair(begin, equals - begin, equals + 1, end - equals - 1);
    }

    Sink& m_sink;
    bool m_in_section;
};
