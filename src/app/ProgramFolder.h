#pragma once

#include <QString>

namespace app {

/// Where the program keeps its files:
///   settings  the settings file QEMTINF.ini;
///   program   the program folder proper: the macro project the host loads
///             lies in it and the work folder LAYER beside that project;
///   data      what the program ships: the macro project, the read-me.
/// A build or a portable copy keeps all three in the executable's folder. An
/// installed program keeps the user's files where the desktop keeps them:
/// the settings in the configuration folder, the program folder (a copy of
/// the macro project and LAYER) in the cache folder, each in "kasanemi", and
/// reads what it ships from the installed data folder. KASANEMI_HOME names one
/// folder for the settings and the program folder instead, whatever the
/// install. Every viewer of one user picks the same folders, so they share
/// the settings and the work folder. No path ends with a separator.
struct ProgramFolders {
    QString settings;
    QString program;
    QString data;
    bool installed = false;  // the user's folders are in use
    /// Why the user's folders cannot be named (no HOME and no XDG folder);
    /// settings and program are then empty, and nothing is read or written.
    QString problem;
};

/// What the choice depends on; currentFolderFacts() reads it from the system.
struct FolderFacts {
    QString home;                         // KASANEMI_HOME, empty when unset
    QString executableFolder;
    bool executableFolderWritable = true; // by its permission bits, for root too
    QString installedDataFolder;          // the data folder beside an installed executable, empty when none
    QString configHome;                   // XDG_CONFIG_HOME, else ~/.config; empty without either
    QString cacheHome;                    // XDG_CACHE_HOME, else ~/.cache; empty without either
};

/// The program is installed when its executable's folder is not the user's
/// to write, or when the install's data folder lies beside it (an install
/// into a writable prefix ships its files there, not beside the executable).
ProgramFolders chooseProgramFolders(const FolderFacts& facts);
FolderFacts currentFolderFacts();
/// chooseProgramFolders(currentFolderFacts()), asked anew at every call.
ProgramFolders programFolders();

/// The program folder (see ProgramFolders::program).
QString programFolder();
/// The folder of the settings file.
QString settingsFolder();
/// The folder of the files the program ships (the read-me, the macro project).
QString dataFolder();
/// The folder the executables themselves lie in (where kasanemi-cad is
/// started from), whatever KASANEMI_HOME says.
QString executableFolder();

/// The path of `fileName`, a file the program ships, in the program folder,
/// where its user (the host, for the macro project) looks for what lies
/// beside it. An installed program first copies the shipped file there from
/// the data folder when the copy is missing or differs; the copy replaces
/// the old one in one step, so two viewers can do it at once. Returns an empty
/// path, with the reason in `error` (in Japanese, for the user), when the copy
/// cannot be made or the file is not there (missingShippedFileAdvice).
QString shippedFileInProgramFolder(const QString& fileName, QString* error);
/// The same for the given folders.
QString shippedFileInProgramFolder(const ProgramFolders& folders, const QString& fileName, QString* error);
/// What to tell the user when `fileName` is not in the program folder: that
/// it is missing there, and where to copy it from (the data folder, when it
/// holds the file and is another folder) or to reinstall.
QString missingShippedFileAdvice(const ProgramFolders& folders, const QString& fileName);

} // namespace app
