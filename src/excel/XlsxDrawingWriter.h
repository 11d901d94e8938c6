#pragma once

#include "WorkbookModel.h"

#include <QByteArray>

namespace excel {

/// The drawing part of a sheet: one two-cell anchor per shape, in the order
/// the shapes were added. The n-th picture refers to relationship "rIdn" of
/// the drawing's relationships, which the package writer numbers the same way.
/// Pictures keep their outline or none; text boxes are white with a thin black
/// outline, one paragraph a line of text. Placement decides how the anchor
/// follows its cells: move and size (two cells), move only ("oneCell"), or free.
QByteArray drawingXml(const SheetModel& sheet);

} // namespace excel
