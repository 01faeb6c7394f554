#pragma once

#include <QString>

#include <exception>

namespace Exception {

// The error kinds a worker's failure is reported with. Thrown by value. The type is fixed to
// int because a thrown value outside the list is possible and reads as undefined.
enum ExceptionProcessor2Error : int {
    NormalEnd = 0,
    MemoryAllocatingError = 1,
    MemoryAccessError = 2,
    OperationResultError = 3,
    AlgorithmError = 4,
    OsError = 5,
    UndefinedError = 6,
};

// The English message of a kind; values outside the list give the undefined one.
QString MessageOf(ExceptionProcessor2Error kind);

}

// The system's text for an error number (strerror).
QString ErrorNumberText(int error_number);
// The report for a failure of the given kind.
QString KindReport(Exception::ExceptionProcessor2Error kind, const QString& report_text);
// The report for any other failure.
QString GenericReport(const QString& report_text);
// The report for an exception caught from a worker's work: std::bad_alloc is an allocation
// failure, std::out_of_range an OS error, a thrown error kind itself, anything else generic.
QString ReportForException(std::exception_ptr error, const QString& report_text);
