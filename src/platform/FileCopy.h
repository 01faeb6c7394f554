#pragma once

#include <QString>

// Copies a file's bytes to the target, replacing a file there. The kernel moves the bytes
// (copy_file_range) where the file systems allow, so large images never pass through the
// program. A failed copy removes what it wrote. Answers whether the target is a whole copy.
bool CopyFileReplacing(const QString& source, const QString& target);
