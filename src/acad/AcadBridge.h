#pragma once

#include "AcadSurface.h"
#include "LayerSnapshot.h"

#include <QVariant>
#include <memory>
#include <vector>

namespace acad {

/// How the bridge finds a running host or starts a new one. On Linux this is
/// the session bus (the host owns org.kasanemi.Cad); tests may put an
/// in-process host behind it.
class HostConnector {
public:
    virtual ~HostConnector() = default;
    /// The running host's application object; throws AcadError when none runs.
    virtual ApplicationPtr attachRunning() = 0;
    /// Starts a new host and returns its application object once it answers;
    /// throws AcadError when it cannot be started.
    virtual ApplicationPtr startNew() = 0;
};

/// The bridge to the CAD host: the three shared references, connecting or
/// starting the host, and the reads of the active document the refresh and the
/// commands build on. Lives as long as the main window; the references are
/// replaced at every refresh.
class AcadBridge {
public:
    explicit AcadBridge(std::shared_ptr<HostConnector> connector);

    /// Attaches to the running host or, after asking the user, starts one.
    /// Outcomes: (true, bCancel false) connected;
    /// (true, bCancel true) the user declined; (false, bCancel true,
    /// sErrMsg "404 Not Find AutoCAD.Application") the start failed.
    bool ConnectAutoCAD(VbBool& bCancel, QString& sErrMsg);
    /// oActiveDoc = oAcadApp's ActiveDocument. Throws on failure.
    void SetActiveDocument();
    /// Count of oActiveDoc's layers.
    qint32 GetLayerCount();
    /// Rebuilds aLayerSnapshot (elements 1..count; element 0 unused).
    void ReadLayerSnapshot();
    /// Rebuilds sLineTypeList (element 0 empty; ByLayer/ByBlock left out).
    void ReadLinetypeList();

    /// Number of objects on one layer; deletes every selection set of the
    /// document first and leaves "cSet" behind.
    static qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName);
    /// Number of objects on the layers of a name list (elements 1..; element 0 never read).
    static qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames);
    /// The count of each name of a name list (elements 1..) on its own, in
    /// order: what one CountLayerObjects call per name gives, the document
    /// left as after the last of them. One round trip where the backend
    /// offers batch reads (the bus), so a refresh of many layers stays fast.
    static std::vector<qint32> CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames);

    ApplicationPtr oAcadApp;
    DocumentPtr oActiveDoc;
    /// The host's main window, found by its title at each refresh; 0 until then.
    qint64 lnAcadHwnd = 0;
    /// Index 0 is an unused default record; layers are 1..size()-1.
    std::vector<LayerSnapshot> aLayerSnapshot;
    NameList sLineTypeList = emptyNameList();

private:
    std::shared_ptr<HostConnector> m_connector;
};

} // namespace acad
