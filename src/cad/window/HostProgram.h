#pragma once

#include <QStringList>

namespace cad {

/// The drawing host's default mode, `kasanemi-cad [FILE.dxf]`: holds the
/// drawing (a new, never saved "Drawing1.dwg" without a file), shows it in the
/// main window and serves it on the session bus as org.kasanemi.Cad until the
/// window is closed. Needs a QApplication. Returns the exit code: 0 after a
/// normal close; 1 when the file cannot be read; 2 when there is no bus or
/// another host already owns the name (each with a one-line message on stderr).
int runDrawingHost(const QStringList& arguments);

} // namespace cad
