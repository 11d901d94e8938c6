#pragma once

// What the batch export does with each drawing, alone or in a set: open it
// as every mode of the host opens a drawing, and draw its layer pictures as
// the refresh has them drawn.

#include "acad/AcadSurface.h"
#include "cad/CadDocument.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

namespace cad::cli {

/// Opens the drawing at `path`; its load warning and a note that pictures
/// were cut short go to `errors` as warnings (the latter once). Throws
/// acad::AcadError with a one-line description when it cannot be read.
std::shared_ptr<CadDocument> openForExport(const QString& path, QTextStream& errors);

/// Switches every layer but the current one on and thawed (in memory only,
/// as the refresh does) and has the all-layer picture macro write one picture
/// a layer into `workFolder`'s picture folder, which it returns. Throws
/// acad::AcadError, or std::runtime_error when the work folder cannot be written.
QString drawLayerPictures(const acad::ApplicationPtr& host, const acad::DocumentPtr& document,
                          const QString& workFolder);

/// The layers an export takes, in table order: those of `named` the drawing
/// has, or with no names every layer holding objects.
QStringList exportedLayers(const acad::DocumentPtr& document, const QStringList& named);

/// A work folder of this export's own in the temporary folder, once the
/// folders of killed exports are gone; null, said on `errors`, when it
/// cannot be made.
std::unique_ptr<QTemporaryDir> makeExportWorkFolder(QTextStream& errors);

} // namespace cad::cli
