#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"
#include "undo/LayerChangeStep.h"

#include <QtGlobal>

class QListWidget;

namespace tile {

class WmfImage;

/// What a tile needs from the main window that holds it. The main window
/// (frmWMF) implements it; tests may implement it with a plain widget.
class TileHost {
public:
    virtual ~TileHost() = default;

    /// The linetype names of the drawing (sLineTypeList: element 0 empty,
    /// names from element 1), as last read.
    virtual const acad::NameList& sLineTypeList() const = 0;
    /// Re-reads the drawing's linetypes into sLineTypeList (ReadLinetypeList).
    /// Throws acad::AcadError when the drawing cannot be read.
    virtual void ReadLinetypeList() = 0;

    /// The overview picture ImgALL, whose size and offset every tile picture copies.
    virtual const WmfImage& overviewImage() const = 0;

    /// bRefreshDone: true once a refresh has completed; false from the start
    /// of a refresh until its end, and before the first one.
    virtual bool bRefreshDone() const = 0;
    /// lnAcadHwnd: the host's main window as found by the last refresh; 0 when none.
    virtual qint64 lnAcadHwnd() const = 0;
    /// The name of `document`'s current layer. A main window that checks many
    /// tiles in one step reads it once for all of them; by default each asks.
    virtual QString currentLayerName(acad::Document& document) { return document.activeLayer()->name(); }

    // Main-window operations the tile commands call.

    /// Every tile but tile `iIndex` is shown as not selected.
    virtual void pu_subResetSelect(qint32 iIndex) = 0;
    /// Every tile re-checks whether its layer is the current one.
    virtual void pu_subActiveLayerUpdate() = 0;
    /// Every tile re-reads its layer's state with its events off.
    virtual void pu_subCtrlViewUpdate() = 0;
    /// The layer list LstLayers (entry i belongs to tile i + 1).
    virtual QListWidget* LstLayers() = 0;
    /// The double-click options: make the layer current and bring the host
    /// forward, or show that layer alone.
    virtual bool OptDblClickActive() const = 0;
    virtual bool OptDblClickExclusiveView() const = 0;
    /// A tile command changed the drawing's layers as `step` records, so the
    /// change can be taken back.
    virtual void recordLayerChange(undo::LayerChangeStep step) = 0;
};

} // namespace tile
