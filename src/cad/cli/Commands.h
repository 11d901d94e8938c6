#pragma once

// The command-line modes of kasanemi-cad. Each mode is one function in its
// own file, taking the arguments after the mode switch and returning the
// process exit code; main.cpp maps switches to them.

#include <QStringList>

namespace cad::cli {

/// `--inspect FILE.dxf`: one JSON object describing the drawing on standard
/// output (exit 0); a drawing that cannot be read gives a one-line message on
/// standard error and exit code 2.
int runInspect(const QStringList& args);

} // namespace cad::cli
