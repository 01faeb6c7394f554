#pragma once

#include <QtGlobal>

// The machine's physical memory in bytes; 0 when it cannot be told.
qint64 PhysicalMemoryBytes();
