#pragma once

#include "platform/SafeFileWriter.h"

#include <QString>

#include <memory>

// Copies a file's bytes to the target, replacing a file there through SafeFileWriter, so a
// failed copy leaves the target as it was. The kernel moves the bytes (copy_file_range) where
// the file systems allow, so large images never pass through the program. Answers whether the
// target is a whole copy; on failure reason, when given, tells why.
bool CopyFileReplacing(const QString& source, const QString& target, QString* reason = nullptr);

// The same copy left uncommitted, for callers that commit many copies together
// (SafeFileWriterBatch). A copy that could not be made comes back failed, its ErrorText
// telling why.
std::unique_ptr<SafeFileWriter> WriteFileCopy(const QString& source, const QString& target,
    SafeFileWriter::StaleTemporaries stale = SafeFileWriter::StaleTemporaries::Remove);
