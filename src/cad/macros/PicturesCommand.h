#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace cad::macros {

/// `kasanemi-cad --pictures FILE.dxf DIR`: loads the drawing, switches every
/// layer but the current one on and thawed (in memory, as a refresh does
/// before its first picture), and writes what the whole-drawing and
/// all-layer macros write into a work folder: DIR/SYS/all.wmf and one
/// picture per layer in DIR. Returns the exit code: 0 done, 2 when the
/// drawing cannot be read, 1 when pictures cannot be written; a one-line
/// message goes to `errors` on failure, a summary to `output` on success.
int runPicturesCommand(const QString& dxfPath, const QString& folder, QTextStream& output, QTextStream& errors);

} // namespace cad::macros

namespace cad::macros {

/// The same with the arguments after the switch (FILE.dxf DIR), writing to
/// standard output and error; wrong arguments give a usage line and exit 2.
int runPictures(const QStringList& args);

} // namespace cad::macros
