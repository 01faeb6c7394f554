#include "platform/TextCodec.h"
#include "text/SectionDocument.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

// Raw file bytes through the decoder, the parser and the writer. Besides not crashing, the
// written text must parse back to the same document, and the byte parser must agree with the
// text parser.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = DecodeTextBytes(bytes);

    SectionDocument document;
    ParseSectionText(QStringView(text), document);
    const QString written = WriteSectionText(document);

    SectionDocument reparsed;
    ParseSectionText(QStringView(written), reparsed);
    if (!(reparsed == document))
        std::abort();

    // The byte parser splits before converting; on valid UTF-8 it must see what the text
    // parser sees in the same bytes converted at once (one leading byte-order mark dropped).
    SectionDocument from_bytes;
    ParseSectionText(bytes, from_bytes);
    if (IsValidUtf8(bytes)) {
        SectionDocument from_utf8;
        ParseSectionText(QStringView(QString::fromUtf8(bytes)), from_utf8);
        if (!(from_bytes == from_utf8))
            std::abort();
    }

    SectionDocument unescaped;
    unescaped.SetUnescapeOnLoad(true);
    ParseSectionText(QStringView(text), unescaped);
    return 0;
}
