#include "document/RecoveryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes read as a recovery copy give either nothing or a note with at least one page and
// a current page among them, which is read back the same after writing it again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto snapshot = RecoveryFile::Decode(bytes);
    if (!snapshot)
        return 0;
    if (snapshot->pages.isEmpty() || snapshot->current_page < 0 || snapshot->current_page >= snapshot->pages.size())
        std::abort();
    const QByteArray again = RecoveryFile::Encode(*snapshot);
    if (RecoveryFile::Decode(again) != snapshot)
        std::abort();
    return 0;
}
