#pragma once

// The automation surface: the members of the CAD host the program relies on,
// member for member, as C++ interfaces. Backends implement them one member to
// one call: the in-process drawing host (cad::Local*), the D-Bus client
// (acad::dbus), and later COM on Windows. Every member may throw AcadError.
// The document also has batched members (reads and writes of many layers in
// one step) whose defaults are the series of single members they stand for;
// a backend that can do one in a single round trip overrides it.
//
// Objects are handed out as shared pointers; a proxy stays valid as long as
// someone holds it, but the host object behind it may be gone, in which case
// its members throw (a layer proxy, for instance, follows its layer by name:
// once the layer is deleted or renamed in the host, its members throw
// error::kKeyNotFound).

#include "AcadError.h"
#include "LayerSnapshot.h"
#include "LayerWrites.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <vector>

namespace acad {

class Layer {
public:
    virtual ~Layer() = default;
    virtual QString name() = 0;
    virtual void setName(const QString& name) = 0;
    virtual bool layerOn() = 0;
    virtual void setLayerOn(bool on) = 0;
    virtual bool freeze() = 0;
    virtual void setFreeze(bool frozen) = 0;
    virtual bool lock() = 0;
    virtual void setLock(bool locked) = 0;
    virtual QString linetype() = 0;
    /// Throws error::kKeyNotFound when the drawing holds no linetype of that name.
    virtual void setLinetype(const QString& linetype) = 0;
    /// The colour index (1..255), always positive; on/off is `layerOn`.
    virtual qint32 color() = 0;
    virtual qint32 lineweight() = 0;
    virtual QString plotStyleName() = 0;
    virtual bool plottable() = 0;
    /// Frozen in new viewports.
    virtual bool viewportDefault() = 0;
};
using LayerPtr = std::shared_ptr<Layer>;

class Layers {
public:
    virtual ~Layers() = default;
    virtual qint32 count() = 0;
    /// 0-based, in table order; enumeration is item(0) .. item(count() - 1).
    virtual LayerPtr item(qint32 index) = 0;
    /// By name, case-insensitive like the host's table; throws error::kKeyNotFound.
    virtual LayerPtr item(const QString& name) = 0;
};
using LayersPtr = std::shared_ptr<Layers>;

class Linetype {
public:
    virtual ~Linetype() = default;
    virtual QString name() = 0;
};
using LinetypePtr = std::shared_ptr<Linetype>;

class Linetypes {
public:
    virtual ~Linetypes() = default;
    virtual qint32 count() = 0;
    /// 0-based, in table order.
    virtual LinetypePtr item(qint32 index) = 0;
};
using LinetypesPtr = std::shared_ptr<Linetypes>;

class SelectionSet {
public:
    virtual ~SelectionSet() = default;
    virtual QString name() = 0;
    virtual qint32 count() = 0;
    virtual void clear() = 0;
    /// `mode` 5 selects every entity of model space and of every paper-space
    /// layout (not those inside block definitions) that passes the filter.
    /// `filterType` holds DXF group codes; code 8 filters on the layer name with
    /// the host's wildcard rules. Both lists have the same length.
    virtual void select(qint32 mode, const std::vector<qint16>& filterType,
                        const QVariantList& filterData) = 0;
    /// The `Delete` member: removes the set from the document.
    virtual void erase() = 0;
};
using SelectionSetPtr = std::shared_ptr<SelectionSet>;

class SelectionSets {
public:
    virtual ~SelectionSets() = default;
    virtual qint32 count() = 0;
    virtual SelectionSetPtr item(qint32 index) = 0;
    /// Creates a new, empty set; a name already used in the document is an error.
    virtual SelectionSetPtr add(const QString& name) = 0;
};
using SelectionSetsPtr = std::shared_ptr<SelectionSets>;

class Document {
public:
    virtual ~Document() = default;
    virtual LayersPtr layers() = 0;
    virtual LinetypesPtr linetypes() = 0;
    virtual SelectionSetsPtr selectionSets() = 0;
    virtual LayerPtr activeLayer() = 0;
    /// Throws error::kFrozenLayerCurrent for a frozen layer.
    virtual void setActiveLayer(const LayerPtr& layer) = 0;
    /// `which` is 1 (all viewports) in every call the program makes.
    virtual void regen(qint32 which) = 0;
    /// The drawing file's full path; no file exists there for a drawing never saved.
    virtual QString fullName() = 0;
    /// The file name alone, e.g. "Drawing1.dwg".
    virtual QString name() = 0;

    // --- batched members ----------------------------------------------------
    // Each gives what the series of single members named gives (the default
    // is that series); failures reach the caller as the single members'.

    /// Every layer's record in table order (no unused element 0): the layer
    /// count, then each layer's ten reads (see readLayerRecord).
    virtual std::vector<LayerSnapshot> layerSnapshotAll();
    /// Every layer's name in table order: the count, then each layer's Name.
    virtual QStringList layerNames();
    /// Every layer's name and on/off state in table order.
    virtual std::vector<LayerOnState> layerOnStates();
    /// The linetype list's names, in table order, ByLayer and ByBlock left
    /// out (each kept name is read a second time when it is stored).
    virtual QStringList linetypeList();
    /// The number of objects on these layers (every name counted): every
    /// selection set deleted (refusals ignored), "cSet" added, and per name
    /// Clear, Select mode 5 with a layer filter, Count. "cSet" stays. The
    /// total is added up wide: beyond 2,147,483,647 it answers
    /// 2,147,483,647 (the member is 32-bit), never a wrapped number.
    virtual qint32 countLayerObjects(const QStringList& layerNames);
    /// For each name in turn, countLayerObjects of that name alone.
    virtual std::vector<qint32> countLayerObjectsEach(const QStringList& layerNames);
    /// Each named layer's state as a tile reads it (Layers.Item by name, then
    /// Freeze, LayerOn, Lock, ViewportDefault, Plottable, Color, Linetype; the
    /// record's other fields may stay empty), or nothing for a name whose
    /// read failed: the caller asks the single members again for that one,
    /// and they say why.
    virtual std::vector<std::optional<LayerSnapshot>> layerStates(const QStringList& layerNames);
    /// Applies the writes in order, each as its single setter on
    /// Layers.Item(layer) would. OnRefusal::Stop ends at the first refusal
    /// with LayerWriteRefused (the writes before it stay done);
    /// OnRefusal::Skip goes on and returns the refused writes' positions. A
    /// host that is gone or does not answer ends the batch in either mode.
    virtual std::vector<qint32> setLayerProperties(const LayerWrites& writes, OnRefusal onRefusal);
    /// Every layer but the current one thawed, then switched on, in table
    /// order (see acad/LayerStates.h); throws at the first refusal.
    virtual void switchLayersOnAndThawed();
};
using DocumentPtr = std::shared_ptr<Document>;

/// A count added up in 64 bits as a 32-bit member answers it: held at
/// 2,147,483,647 (or -2,147,483,648) instead of wrapping.
qint32 saturatedCount(qint64 total);

class Application {
public:
    virtual ~Application() = default;
    virtual void setVisible(bool visible) = 0;
    virtual DocumentPtr activeDocument() = 0;
    /// Loads the macro project at `path` (a manifest file of the host).
    virtual void loadDVB(const QString& path) = 0;
    /// Runs a macro of a loaded project by its full name and returns when it has finished.
    virtual void runMacro(const QString& macroName) = 0;
    /// Title of the host's main window.
    virtual QString caption() = 0;
};
using ApplicationPtr = std::shared_ptr<Application>;

} // namespace acad
