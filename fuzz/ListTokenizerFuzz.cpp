#include "text/ListTokenizer.h"

#include <QString>

#include <cstdint>

// Arbitrary text (as UTF-8) through the quoted-list tokenizer in both modes and its readers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto mode : { ListTokenizer::EmptyFields::Keep, ListTokenizer::EmptyFields::Skip }) {
        const ListTokenizer tokenizer(text, mode);
        for (int row = 0; row < tokenizer.RowCount(); ++row)
            tokenizer.Row(row);
        tokenizer.Text(0, QString());
        tokenizer.Text(3, QString());
        tokenizer.Float(1);
        tokenizer.Bool(1);
    }
    return 0;
}
