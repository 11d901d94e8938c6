#pragma once

#include <QString>

namespace app {

/// The program folder: where the settings file, the macro manifest, the
/// read-me and the work folder `LAYER` live. It is the executable's folder,
/// unless the environment variable KASANEMI_HOME names another one, so that
/// tests and read-only installs never write into the build or install tree.
/// Never ends with a separator.
QString programFolder();

/// The folder the executables themselves lie in (where kasanemi-cad is
/// started from and the macro manifest is shipped), whatever KASANEMI_HOME says.
QString executableFolder();

} // namespace app
