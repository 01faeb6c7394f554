#include "platform/SystemMemory.h"

#include <unistd.h>

qint64 PhysicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0)
        return 0;
    return qint64(pages) * qint64(page_size);
}
