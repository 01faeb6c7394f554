#include "platform/ErrorReport.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

const QString kAdvice = QStringLiteral("Immediately save the date with another name and restart the application.");
const QString kLineBreak = QStringLiteral("\r\n");

}

QString Exception::MessageOf(ExceptionProcessor2Error kind)
{
    switch (kind) {
    case NormalEnd:
        return QStringLiteral("It ended normally.");
    case MemoryAllocatingError:
        return QStringLiteral("The memory allocating error occurred.");
    case MemoryAccessError:
        return QStringLiteral("The memory unlawful computer access error occurred.");
    case OperationResultError:
        return QStringLiteral("The operation result error occurred.");
    case AlgorithmError:
        return QStringLiteral("The algorithm error occurred.");
    case OsError:
        return QStringLiteral("OS error occurred.");
    case UndefinedError:
        break;
    }
    return QStringLiteral("An undefined error occurred.");
}

QString ErrorNumberText(int error_number)
{
    char buffer[256] = {};
    // The GNU form answers a pointer that may or may not be the buffer.
    const char* text = strerror_r(error_number, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QString KindReport(Exception::ExceptionProcessor2Error kind, const QString& report_text)
{
    return Exception::MessageOf(kind) + kLineBreak + kAdvice + kLineBreak + report_text;
}

QString GenericReport(const QString& report_text)
{
    // No line break before the report text: the report reads as it always has.
    return QStringLiteral("An error has occurred. The command will be cancelled.") + kLineBreak + kAdvice + report_text;
}

QString ReportForException(std::exception_ptr error, const QString& report_text)
{
    try {
        std::rethrow_exception(error);
    } catch (Exception::ExceptionProcessor2Error kind) {
        return KindReport(kind, report_text);
    } catch (const std::bad_alloc&) {
        return KindReport(Exception::MemoryAllocatingError, report_text);
    } catch (const std::out_of_range&) {
        return KindReport(Exception::OsError, report_text);
    } catch (...) {
        return GenericReport(report_text);
    }
}
