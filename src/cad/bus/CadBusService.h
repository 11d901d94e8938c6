#pragma once

#include "acad/dbus/BusMarshalling.h"

#include <QDBusContext>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantList>

#include <memory>

namespace cad {

class HostWindowControl;
class LocalApplication;

/// Serves the automation surface of the host's application on the bus: each
/// slot is one member of the interface description org.kasanemi.Cad.xml and
/// calls the same member of the in-process surface. A refusal of the surface
/// (acad::AcadError) goes back as the error org.kasanemi.Cad.Error with
/// "<number>|<description>"; any other failure as the host-failure number.
///
/// For tests only: KASANEMI_CAD_TEST_DELAY="<Member>:<ms>[,...]" makes the
/// named members wait that long before they act, to stand for a busy host.
class CadBusService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    CadBusService(std::shared_ptr<LocalApplication> application, HostWindowControl* window,
                  QObject* parent = nullptr);

    /// Registers the object and claims the bus name. False (with `error` set)
    /// when there is no bus or another host already owns the name.
    bool publish(QString& error);

public slots:
    void SetVisible(bool visible);
    QString Caption();
    void LoadDVB(const QString& path);
    void RunMacro(const QString& macroName);
    qlonglong WindowHandle(const QString& title);
    bool BringToFront(qlonglong handle);

    QString ActiveDocument();
    QString DocumentFullName();
    QString DocumentName();
    void Regen(int which);
    QString ActiveLayer();
    void SetActiveLayer(const QString& layer);

    int LayerCount();
    QString LayerAt(int index);
    QString LayerByName(const QString& name);
    QString LayerName(const QString& layer);
    void SetLayerName(const QString& layer, const QString& newName);
    bool LayerOn(const QString& layer);
    void SetLayerOn(const QString& layer, bool on);
    bool LayerFreeze(const QString& layer);
    void SetLayerFreeze(const QString& layer, bool frozen);
    bool LayerLock(const QString& layer);
    void SetLayerLock(const QString& layer, bool locked);
    QString LayerLinetype(const QString& layer);
    void SetLayerLinetype(const QString& layer, const QString& linetype);
    int LayerColor(const QString& layer);
    int LayerLineweight(const QString& layer);
    QString LayerPlotStyleName(const QString& layer);
    bool LayerPlottable(const QString& layer);
    bool LayerViewportDefault(const QString& layer);

    int LinetypeCount();
    QString LinetypeAt(int index);
    QString LinetypeName(const QString& linetype);

    int SelectionSetCount();
    QString SelectionSetAt(int index);
    QString AddSelectionSet(const QString& name);
    int SelectionSetSize(const QString& set);
    void ClearSelectionSet(const QString& set);
    void SelectInSelectionSet(const QString& set, int mode, const QList<short>& filterType,
                              const QVariantList& filterData);
    void DeleteSelectionSet(const QString& set);

    QList<acad::LayerSnapshot> LayerSnapshotAll();
    QStringList LayerNames();
    QStringList LinetypeNames();
    int CountLayerObjects(const QStringList& layers);
    QList<int> CountLayerObjectsEach(const QStringList& layers);
    QList<int> SetLayerProperties(const QList<acad::LayerWrite>& writes, bool stopAtRefusal);

    void Save();
    void SaveAs(const QString& path);

private:
    template <typename Fn>
    auto serve(const char* member, Fn&& fn) -> decltype(fn());
    /// Throws kLimitReached when a text of the call (a name, a path, a text
    /// inside a write or a filter) is longer than the host takes.
    void refuseOversizedArguments() const;

    std::shared_ptr<LocalApplication> m_application;
    HostWindowControl* m_window;
    QHash<QString, int> m_testDelays;
};

} // namespace cad
