#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Cuts a quoted comma list into rows and fields. Comments ("//" to the end of the line and
// "/* ... */") are removed first; rows end at LF; inside double quotes a comma belongs to the
// field and backslash escapes (\n \r \t \\ \") are resolved.
class ListTokenizer {
public:
    enum class EmptyFields { Keep, Skip };

    explicit ListTokenizer(const QString& text, EmptyFields empty_fields = EmptyFields::Keep);

    int RowCount() const;
    // An empty row for an index outside the rows.
    const QStringList& Row(int index) const;

    // Field index of row 0, or the fallback when it does not exist.
    QString Text(int index, const QString& fallback) const;
    // Field 0 of row 0 as a float, or the fallback when it does not exist.
    float Float(float fallback) const;
    // True when field index of row 0 is exactly "true" or does not exist.
    bool Bool(int index) const;

private:
    std::vector<QStringList> m_rows;
};
