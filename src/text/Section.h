#pragma once

#include "text/KeyValueStore.h"

#include <QString>

// One bracketed header of a section text and the key lines under it.
struct Section {
    QString name;
    KeyValueStore store;
};
