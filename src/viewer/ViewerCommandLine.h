#pragma once

// The viewer's command line: the whole line is the path of a layer-list file
// when such a file exists. Only a line that names no file may ask for the
// usage (--help) or the version (--version).

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace app {
struct ProgramFolders;
}

namespace viewer {

/// The arguments after the program name as the one path they make: joined
/// by spaces, as given (no unquoting), so a path with spaces needs no quotes.
QString commandLinePath(const QStringList& arguments);

/// The usage text, with the folders this run uses for its files.
QString viewerUsage();
/// The usage text for the given folders; says when the macro project is
/// missing from a folder nothing copies it into, and where to get it.
QString viewerUsage(const app::ProgramFolders& folders);
/// The --version line.
QString viewerVersion();

/// Writes the usage or the version to `out` and returns the exit code (0)
/// when `commandLine` is "--help" or "--version" and no file of that name
/// exists; otherwise nothing happens and the result is empty.
std::optional<int> answerInformationRequest(const QString& commandLine, QTextStream& out);

} // namespace viewer
