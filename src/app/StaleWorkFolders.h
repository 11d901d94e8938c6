#pragma once

#include <QString>
#include <QStringList>

namespace app {

/// A template for QTemporaryDir naming this process in the temporary folder
/// ("kasanemi-<purpose>-<pid>-XXXXXX"), so that a later run can tell a
/// folder left by a process that was killed from one still in use.
QString workFolderTemplate(const QString& purpose);

/// Removes the folders of that purpose left in `tempFolder` by processes of
/// this user that no longer run (never following a link; another user's
/// folders and a live process's are left alone). Returns how many went.
int removeStaleWorkFolders(const QString& purpose, const QString& tempFolder);

/// The folders in `parent` named "<prefix><pid>-XXXXXX" whose process no
/// longer runs (real folders of this user, never a link).
QStringList foldersOfEndedProcesses(const QString& prefix, const QString& parent);

} // namespace app
