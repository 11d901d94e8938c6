#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace app {

QString executableFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString programFolder()
{
    const QString home = qEnvironmentVariable("KASANEMI_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath());
    return executableFolder();
}

} // namespace app
