#pragma once

// Drawings, pictures and workbook readers for the export tests: a small DXF
// drawing written on the fly and opened by the real in-process host, one WMF
// picture per layer written by the project's metafile writer, and the
// independent reader (read_xlsx.py, openpyxl) over the workbooks the export
// writes.

#include "acad/AcadSurface.h"

#include <QJsonObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

namespace cad {
class CadDocument;
}

namespace testsupport {

/// One layer of a test drawing and how many lines lie on it.
struct TestLayer {
    QString name;
    int lines = 0;
};

/// A drawing written to `folder` as an R2007 DXF (UTF-8), opened by the
/// in-process host; `fileName` is its name (and the document's Name).
struct TestDrawing {
    std::shared_ptr<cad::CadDocument> cad;
    acad::DocumentPtr document;
    QString path;
};
TestDrawing makeDrawing(const QString& folder, const std::vector<TestLayer>& layers,
                        const QString& fileName = QStringLiteral("plan.dxf"));

/// Writes a placeable WMF of `logicalSize` at 1440 units an inch (so the size
/// is in twips) for the layer into `folder`, named as the export looks for it.
void writeLayerPicture(const QString& folder, const QString& layerName, QSize logicalSize);

/// The independent reader's view of a workbook (see read_xlsx.py); fails the
/// current test and returns an empty object when it cannot read it.
QJsonObject readWorkbook(const QString& path);

} // namespace testsupport
