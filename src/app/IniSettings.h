#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace app {

/// The settings-file helpers. The path is passed by reference: SetINI makes a
/// bare name absolute (in the program folder) in the caller's variable, and
/// every helper resolves it again, which leaves an absolute path unchanged.
/// A module-wide write-permission flag, false at start, is set by every SetINI;
/// WriteINI writes only while it is true.

/// True for a path no resolution may prefix again: one starting with '/',
/// a drive path ("C:\", "C:/") or a network path ("\\server", "//server").
bool isAbsoluteSettingsPath(const QString& path);

/// Resolves and prepares the settings file, creating it empty when missing.
/// Returns 0 when the name is empty, the file is read-only or it is no file
/// and cannot be created, or the path is a drive or network path in Windows
/// form, which names no place on this system (the flag is then false); 1 (2) when it exists and is
/// writable on a fixed (another kind of) drive; -1 (-2) when it was created on
/// a fixed (another kind of) drive. Creation on another kind of drive leaves
/// the flag as it was.
qint32 SetINI(QString& sIniFileName);

/// Reads `Key` of `Section`. `Integeral` true: a qint32, the platform's integer
/// reading of the value or `Default` (as a 32-bit integer) when the key is
/// missing. Otherwise the text (at most 254 characters, blanks trimmed), or
/// `Default` as text when the key is missing, or an empty (invalid) QVariant
/// when that gives no text at all.
QVariant GetINI(QString& sIniFileName, const QString& Section, const QString& Key, const QVariant& Default,
                bool Integeral);

/// Writes `WriteString` (as text) to `Key` of `Section`, keeping every other
/// line of the file, replacing the file atomically. Returns non-zero when
/// written; 0 when writing is not permitted or failed.
qint32 WriteINI(QString& sIniFileName, const QString& Section, const QString& Key, const QVariant& WriteString);

/// The write-permission flag as the last SetINI left it.
bool iniWritePermitted();
/// Puts the flag back to its start value (false); for a fresh start in tests.
void resetIniWritePermission();

} // namespace app
