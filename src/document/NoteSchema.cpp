#include "document/NoteSchema.h"

#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QStringList>

#include <cmath>

namespace NoteSchema {

namespace {

float NotNegative(float value)
{
    return value < 0 || std::isnan(value) ? 0 : value;
}

}

FileNameValue ParseFileName(const QString& value)
{
    const QStringList fields = SplitPlainList(value);
    FileNameValue parsed;
    if (fields.isEmpty())
        return parsed;
    // Files written by the program always carry the four trims, so a value with more than
    // five fields is a path that holds commas.
    parsed.path_fields = fields.size() > 5 ? int(fields.size()) - 4 : 1;
    parsed.path = fields.mid(0, parsed.path_fields).join(u',');
    const auto trim = [&](int index) {
        const int field = parsed.path_fields + index;
        return field < fields.size() ? NotNegative(ToFloat(fields[field])) : 0.0f;
    };
    parsed.trims = { trim(0), trim(1), trim(2), trim(3) };
    return parsed;
}

QString ImageFileOf(const KeyValueStore& store)
{
    return ParseFileName(store.GetText(kFileNameKey.toString())).path;
}

}
