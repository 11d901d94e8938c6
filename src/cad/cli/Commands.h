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

/// `--render FILE.dxf OUT.png|OUT.svg [--layer NAME] [--size PX]`: the whole
/// drawing's picture (or one layer's) as the picture macros make it, played
/// onto white with the longer side PX pixels (default 1600). Exit 0 when
/// written; 2 for bad arguments, a drawing that cannot be read or a layer it
/// lacks; 1 when the picture cannot be written. Failures are one line on
/// standard error. Needs a GUI application object (fonts).
int runRender(const QStringList& args);

} // namespace cad::cli
