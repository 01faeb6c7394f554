#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// Helpers shared by the test executables.
namespace TestSupport {

inline QString DataPath(const QString& name)
{
    return QStringLiteral(TESSARY_TEST_DATA "/") + name;
}

}
