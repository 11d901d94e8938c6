#pragma once

#include "acad/AcadSurface.h"
#include "acad/HostConnector.h"
#include "acad/LayerSnapshot.h"

#include <memory>
#include <vector>

namespace viewer {

/// The viewer's side of the connection to the CAD host: the three shared
/// references, connecting to or (after asking the user) starting the host, and
/// the reads of the active document the refresh and the commands build on.
/// Lives as long as the main window; the references are replaced at every
/// refresh.
class HostSession {
public:
    explicit HostSession(std::shared_ptr<acad::HostConnector> connector);

    /// Attaches to the running host or, after asking the user, starts one.
    /// Outcomes: (true, bCancel false) connected;
    /// (true, bCancel true) the user declined; (false, bCancel true,
    /// sErrMsg "404 Not Find AutoCAD.Application") the start failed.
    bool ConnectAutoCAD(acad::VbBool& bCancel, QString& sErrMsg);
    /// oActiveDoc = oAcadApp's ActiveDocument. Throws on failure.
    void SetActiveDocument();
    /// Count of oActiveDoc's layers.
    qint32 GetLayerCount();
    /// Rebuilds aLayerSnapshot (elements 1..count; element 0 unused).
    void ReadLayerSnapshot();
    /// Rebuilds sLineTypeList (element 0 empty; ByLayer/ByBlock left out).
    void ReadLinetypeList();

    acad::ApplicationPtr oAcadApp;
    acad::DocumentPtr oActiveDoc;
    /// The host's main window, found by its title at each refresh; 0 until then.
    qint64 lnAcadHwnd = 0;
    /// Index 0 is an unused default record; layers are 1..size()-1.
    std::vector<acad::LayerSnapshot> aLayerSnapshot;
    acad::NameList sLineTypeList = acad::emptyNameList();

private:
    std::shared_ptr<acad::HostConnector> m_connector;
};

} // namespace viewer
