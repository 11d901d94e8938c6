#pragma once

#include "acad/AcadSurface.h"
#include "cad/local/LocalApplication.h"

#include <QList>
#include <QString>

#include <memory>

namespace testing_support {

/// One layer of a drawing written for a test.
struct TestLayer {
    QString name;
    bool on = true;
    bool frozen = false;
    bool locked = false;
    int color = 7;
    QString linetype = QStringLiteral("CONTINUOUS");
    int lines = 1; // LINE entities drawn on the layer
};

/// Writes a small R12 drawing (linetypes CONTINUOUS, DASHED, CENTER) with
/// these layers to `path`, `current` being the current layer.
void writeTestDrawing(const QString& path, const QList<TestLayer>& layers, const QString& current);

/// The in-process host holding the drawing at `path`, and its active document.
struct TestHost {
    std::shared_ptr<cad::LocalApplication> application;
    acad::DocumentPtr document;
    cad::CadDocument& drawing() { return application->document(); }
    /// The on/off state of layer `name` as the drawing holds it.
    bool layerOn(const QString& name);
};
TestHost openTestHost(const QString& path);

/// `count` layers named "L1" .. "L<count>", all on, "L1" current.
QList<TestLayer> numberedLayers(int count);

} // namespace testing_support
