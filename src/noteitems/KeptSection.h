#pragma once

#include "items/PlacedItem.h"

#include <QString>
#include <QStringView>

// A section of a note page that this program makes no item for: a kind from a newer version,
// a misspelt name, a kind whose item is not built here. It stands in the page's item list
// where the section stood, draws nothing, takes no input, and writes the section back into the
// page text exactly as it was read, so that saving a note never drops what it cannot show.
class KeptSection : public PlacedItem {
public:
    // `source` is the section's text from its header line up to the next header.
    KeptSection(Canvas& canvas, QStringView source);

    bool Save(QString& section, QString& options, SaveMode mode) const override;

    const QString& Source() const { return m_source; }

private:
    QString m_source;
};
