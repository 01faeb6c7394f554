#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

// Arbitrary text through Unescape and the value forms. Unescaping never lengthens a text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (Unescape(text).size() > text.size())
        std::abort();
    ToInt(text);
    ToFloat(text);
    ToDouble(text);
    ScanColor(text);
    SplitPlainList(text);

    KeyValueStore store;
    store.Set(QStringLiteral("K"), text);
    store.GetListText(QStringLiteral("K"), 1, {}, Escape::Unescape);
    store.GetColorOrNamed(QStringLiteral("K"));
    store.ListContains(QStringLiteral("K"), QStringLiteral("Repeat"));
    store.SetListField(QStringLiteral("K"), 1, QString());
    return 0;
}
