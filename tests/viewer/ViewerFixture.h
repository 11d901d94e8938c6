#pragma once

// A viewer window over the in-process drawing host: a temporary program
// folder holding the macro project, a copy of a sample drawing opened in a
// local host application, the real picture macros, and a recording user
// interface in place of message boxes.

#include "acad/LayerCounts.h"
#include "viewer/HostSession.h"
#include "app/RecordingUserInterface.h"
#include "cad/local/LocalApplication.h"
#include "viewer/FrmWMF.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace viewertest {

/// Hands the test's host application to the bridge as "the running host".
class LocalConnector : public acad::HostConnector {
public:
    std::shared_ptr<cad::LocalApplication> application;
    acad::ApplicationPtr attachRunning() override;
    acad::ApplicationPtr startNew() override;
};

/// One layer's on/off and frozen state, for comparing before and after.
struct LayerState {
    QString name;
    bool on = false;
    bool frozen = false;
    bool operator==(const LayerState&) const = default;
};
std::vector<LayerState> layerStates(cad::CadDocument& document);

/// The path of a sample drawing of the shared corpus.
QString samplePath(const QString& relative);

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Copies the sample into the program folder, opens it in the host and
    /// gives the window a connector to it.
    void openDrawing(const QString& sampleRelativePath);
    /// Opens a new drawing that was never saved.
    void openUnsavedDrawing();
    cad::CadDocument& document() { return connector->application->document(); }
    /// Every message recorded so far that the refresh reported as unexpected.
    QStringList reports() const;

    QTemporaryDir home;
    app::RecordingUserInterface ui;
    std::unique_ptr<app::ScopedUi> scopedUi;
    std::shared_ptr<LocalConnector> connector = std::make_shared<LocalConnector>();
    std::unique_ptr<frmWMF> window;
};

} // namespace viewertest
