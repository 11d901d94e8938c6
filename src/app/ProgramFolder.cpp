#include "ProgramFolder.h"

#include "AtomicReplace.h"
#include "FolderPermission.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace app {
namespace {

// The installed data folder relative to the installed executables
// ("../share/kasanemi" for the usual layout), set by the build from the
// install directories, so a staged or relocated install finds its own.
const QString kDataFolderFromExecutables = QStringLiteral(KASANEMI_DATA_FROM_BIN);
const QString kUserFolderName = QStringLiteral("kasanemi");

QByteArray readAll(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

/// The desktop's folder of that kind; empty when neither its variable nor
/// HOME names one (Qt would then answer a folder under the root).
QString userFolder(const char* variable, QStandardPaths::StandardLocation location)
{
    const QString own = qEnvironmentVariable(variable);
    const QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(own) && !QDir::isAbsolutePath(home))
        return QString();
    return QStandardPaths::writableLocation(location);
}

} // namespace

QString executableFolder()
{
    // --help is answered before the application object exists (it needs no
    // window system), and Qt knows its executable only once it does.
    if (QCoreApplication::instance())
        return QDir::cleanPath(QCoreApplication::applicationDirPath());
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
}

ProgramFolders chooseProgramFolders(const FolderFacts& facts)
{
    ProgramFolders folders;
    folders.installed = facts.home.isEmpty()
                        && (!facts.executableFolderWritable || !facts.installedDataFolder.isEmpty());
    folders.data = facts.installedDataFolder.isEmpty() ? facts.executableFolder : facts.installedDataFolder;
    if (!facts.home.isEmpty()) {
        folders.settings = folders.program = facts.home;
    } else if (folders.installed && (facts.configHome.isEmpty() || facts.cacheHome.isEmpty())) {
        folders.problem = QStringLiteral("環境変数 HOME が設定されていないため、設定とキャッシュのフォルダーが決まりません。"
                                         "HOME（または XDG_CONFIG_HOME と XDG_CACHE_HOME）を設定してください。");
    } else if (folders.installed) {
        folders.settings = QDir::cleanPath(facts.configHome + u'/' + kUserFolderName);
        folders.program = QDir::cleanPath(facts.cacheHome + u'/' + kUserFolderName);
    } else {
        folders.settings = folders.program = facts.executableFolder;
    }
    return folders;
}

FolderFacts currentFolderFacts()
{
    FolderFacts facts;
    const QString home = qEnvironmentVariable("KASANEMI_HOME");
    if (!home.isEmpty())
        facts.home = QDir::cleanPath(QDir(home).absolutePath());
    facts.executableFolder = executableFolder();
    facts.executableFolderWritable = folderWritableByPermissions(facts.executableFolder);
    const QString data = QDir::cleanPath(facts.executableFolder + u'/' + kDataFolderFromExecutables);
    if (QFileInfo(data).isDir())
        facts.installedDataFolder = data;
    facts.configHome = userFolder("XDG_CONFIG_HOME", QStandardPaths::GenericConfigLocation);
    facts.cacheHome = userFolder("XDG_CACHE_HOME", QStandardPaths::GenericCacheLocation);
    return facts;
}

ProgramFolders programFolders()
{
    return chooseProgramFolders(currentFolderFacts());
}

QString programFolder()
{
    return programFolders().program;
}

QString settingsFolder()
{
    return programFolders().settings;
}

QString dataFolder()
{
    return programFolders().data;
}

QString shippedFileInProgramFolder(const QString& fileName, QString* error)
{
    return shippedFileInProgramFolder(programFolders(), fileName, error);
}

QString missingShippedFileAdvice(const ProgramFolders& folders, const QString& fileName)
{
    const QString there = QDir::toNativeSeparators(folders.program);
    const QString shipped = folders.data + u'/' + fileName;
    QString advice = QStringLiteral("%1 が %2 にありません。").arg(fileName, there);
    if (folders.data != folders.program && QFileInfo(shipped).isFile())
        advice += QStringLiteral("%1 をこのフォルダへコピーしてください。").arg(QDir::toNativeSeparators(shipped));
    else
        advice += QStringLiteral("%1 は Kasanemi に同梱されています。Kasanemi を入れ直してください。").arg(fileName);
    return advice;
}

QString shippedFileInProgramFolder(const ProgramFolders& folders, const QString& fileName, QString* error)
{
    if (!folders.problem.isEmpty()) {
        if (error)
            *error = folders.problem;
        return QString();
    }
    const QString target = folders.program + u'/' + fileName;
    const auto missing = [&] {
        if (error)
            *error = missingShippedFileAdvice(folders, fileName);
        return QString();
    };
    if (!folders.installed)
        return QFileInfo(target).isFile() ? target : missing();
    bool shippedRead = false;
    const QByteArray shipped = readAll(folders.data + u'/' + fileName, &shippedRead);
    if (!shippedRead)
        return QFileInfo(target).isFile() ? target : missing();
    bool copyRead = false;
    if (readAll(target, &copyRead) == shipped && copyRead)
        return target;
    if (!QDir().mkpath(folders.program)) {
        if (error)
            *error = QStringLiteral("%1 を作れません：%2")
                         .arg(QDir::toNativeSeparators(target), QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    }
    if (const QString why = replaceFile(target, shipped); !why.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 を作れません：%2").arg(QDir::toNativeSeparators(target), why);
        return QString();
    }
    return target;
}

} // namespace app
