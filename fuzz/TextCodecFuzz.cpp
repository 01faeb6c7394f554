#include "platform/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes decode without fault; valid UTF-8 survives a decode and encode unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DecodeTextBytes(bytes);
    if (IsValidUtf8(bytes) && !bytes.startsWith("\xEF\xBB\xBF") && EncodeTextUtf8(text) != bytes)
        std::abort();
    return 0;
}
