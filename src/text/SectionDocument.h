#pragma once

#include "text/Section.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

// A parsed section text: the sections in the order of their headers. Names may repeat; a
// section is known by its index.
class SectionDocument {
public:
    int Count() const;
    // An index outside the document gives an empty name or an empty store.
    QString Name(int index) const;
    const KeyValueStore& Store(int index) const;

    void Clear();
    // The reference stays valid until the next Append or Clear.
    Section& Append(const QString& name);

    // When set, the parser passes keys and values through Unescape. Off by default.
    bool UnescapeOnLoad() const { return m_unescape_on_load; }
    void SetUnescapeOnLoad(bool unescape) { m_unescape_on_load = unescape; }

    // Same names in the same order with equal stores.
    bool operator==(const SectionDocument& other) const;

private:
    std::vector<Section> m_sections;
    bool m_unescape_on_load { false };
};

// Clears the document and parses the text into it. Lines end only at CR LF. Returns false for
// an empty text and true otherwise, whatever lines were skipped.
bool ParseSectionText(QStringView text, SectionDocument& document);
// The same for UTF-8 bytes, splitting the bytes before converting keys and values. A leading
// byte-order mark is skipped; malformed sequences become U+FFFD.
bool ParseSectionText(const QByteArray& utf8, SectionDocument& document);

// Writes the sections with CR LF line ends and one empty line between sections.
QString WriteSectionText(const SectionDocument& document);
