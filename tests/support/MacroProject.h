#pragma once

// The picture macro project (QEMTIN.dvb) that a refresh loads, written into a
// program folder of a benchmark or test: the manifest naming the four macros.

#include "acad/PictureProtocol.h"

#include <QFile>
#include <QString>
#include <QTextStream>

namespace testsupport {

/// Writes `folder`/QEMTIN.dvb; false when it cannot be written.
inline bool writeMacroProject(const QString& folder)
{
    QFile manifest(folder + QStringLiteral("/QEMTIN.dvb"));
    if (!manifest.open(QIODevice::WriteOnly))
        return false;
    QTextStream(&manifest) << acad::macro::kMakeAll << '\n' << acad::macro::kMakePart << '\n'
                           << acad::macro::kMakeAllLayer << '\n' << acad::macro::kMakeViewLayer << '\n';
    return true;
}

} // namespace testsupport
