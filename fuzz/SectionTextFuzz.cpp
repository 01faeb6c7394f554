#include "platform/TextCodec.h"
#include "text/SectionDocument.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

// Raw file bytes through the decoder, the parser and the writer. Besides not crashing, the
// written text must parse back to the same document, and for valid UTF-8 the byte parser must
// agree with the text parser.
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

    SectionDocument from_bytes;
    ParseSectionText(bytes, from_bytes);
    if (IsValidUtf8(bytes) && !(from_bytes == document))
        std::abort();

    SectionDocument unescaped;
    unescaped.SetUnescapeOnLoad(true);
    ParseSectionText(QStringView(text), unescaped);
    return 0;
}
