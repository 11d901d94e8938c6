#pragma once

// The layer tile: one object per layer shown in the main window.
//
// The tile shows its layer and turns every user action on its controls into
// one Qt signal (the list under "signals" below, one per handler). The
// commands that act on them live in the viewer (viewer/TileCommands), which
// drives the tile through its public members: the faces of the three
// buttons, the chosen linetype, the selected look.
//
// The tile itself never writes to the drawing: it reads the layer's state
// (SetLayerState) and the current layer (pu_subActiveLayerCheck) and shows
// them. Programmatic changes of the linetype box never emit
// pr_oCboLineType_Click: only a choice made by the user does.

#include "ImageButton.h"
#include "StatePictures.h"
#include "WmfImage.h"
#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"

#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>

namespace tile {

class LinetypeSource;

/// The nine controls of one tile.
struct TileControls {
    QFrame* FraOne = nullptr;
    QFrame* FraBar = nullptr;
    WmfImage* ImgOne = nullptr;
    ImageButton* CmdView = nullptr;
    ImageButton* CmdFreeze = nullptr;
    ImageButton* CmdLock = nullptr;
    ImageButton* CmdColor = nullptr;
    QComboBox* CboLineType = nullptr;
    QLineEdit* TxtOne = nullptr;
};

class clsDWF : public QObject {
    Q_OBJECT
public:
    /// Class_Initialize: events enabled, everything else empty, zero or false.
    /// `linetypes` fills the linetype box.
    explicit clsDWF(LinetypeSource& linetypes, QObject* parent = nullptr);
    ~clsDWF() override;

    /// Loads a WMF file as the tile picture. Throws acad::AcadError (the
    /// toolkit's "invalid picture" number 481) when it cannot be loaded.
    void SetWMF(const QString& sWMF_FullPath);
    void SetEnableEvent(bool bEnableEvent) { m_bEnableEvent = bEnableEvent; }
    /// Stores the index; does not move the tile (the next pu_subUpdateLocation does).
    void SetIndex(qint32 iIndex) { m_iIndex = iIndex; }
    /// Re-reads the layer's state from the drawing and refreshes the faces.
    /// Any failure is reported naming "SetLayerState"; fields read before it
    /// keep their new values and the faces are not refreshed.
    void SetLayerState();
    /// The same from a record the grid read for many tiles at once
    /// (Document::layerStates): the faces show it without asking the host.
    void SetLayerState(const acad::LayerSnapshot& record);
    /// Binds the tile to its layer and the drawing.
    void InitialSettingAutoCAD(const QString& sLayerName, const acad::DocumentPtr& oAcadDoc);
    /// Binds the nine controls, lays them out, shows them, places the tile in
    /// the grid, writes the name box and tooltips, checks the current layer
    /// (`currentLayer` as read for many tiles at once, or asked when none)
    /// and fills the linetype box. Any failure is reported naming
    /// "InitialSetting" and the steps after it are skipped.
    void InitialSetting(qint32 iIndex, const TileControls& controls, qint32 iPicMainWidth,
                        const std::optional<QString>& currentLayer = std::nullopt);
    /// Computes iRow and iCol for a tile area `iPicMainWidth` twips wide with
    /// `iTopScrol` rows scrolled off the top, and moves the frame there. An
    /// area narrower than one pitch (no column) is reported naming
    /// "pu_subUpdateLocation" and the tile stays where it was.
    void pu_subUpdateLocation(qint32 iPicMainWidth, qint32 iTopScrol);
    /// Button bar red with white text when the layer is the drawing's
    /// current one (exact, case-sensitive name), else the normal colours.
    /// `currentLayer` is the name as the grid read it once for all its tiles;
    /// without it the tile asks the drawing. Failures are reported naming
    /// "pu_subActiveLayerCheck".
    void pu_subActiveLayerCheck(const std::optional<QString>& currentLayer = std::nullopt);
    /// Gives the tile picture the overview picture's size and offset
    /// (`overviewTwips`), below the name box. Failures are ignored.
    void pu_subImageUpdate(const QRectF& overviewTwips);
    /// Shows the tile as selected (name box dark blue).
    void SelectView();
    /// Shows the tile as not selected. Failures are ignored.
    void ResetSelect();

    // What the tile's commands change once the drawing has taken a change.
    /// The on/off, frozen and locked flags with their button's face.
    void showLayerOn(bool on);
    void showFrozen(bool frozen);
    void showLocked(bool locked);
    /// The linetype the user chose in the box; empty when there is no box.
    QString chosenLineType() const;

    // Public read-only properties.
    bool bAllViewportFreaze() const { return m_layer.bAllViewportFreaze != acad::vbFalse; }
    bool bLayerOn() const { return m_layer.bLayerOn != acad::vbFalse; }
    bool bLock() const { return m_layer.bLock != acad::vbFalse; }
    bool bNewViewportFreaze() const { return m_layer.bNewViewportFreaze != acad::vbFalse; }
    bool bPlottable() const { return m_layer.bPlottable != acad::vbFalse; }
    qint32 lnColor() const { return m_layer.lnColor; }
    /// Declared for the tile's public face; never filled (always 0).
    qint32 lnLineWeight() const { return m_layer.lnLineWeight; }
    QString sLayerName() const { return m_layer.sLayerName; }
    QString sLineType() const { return m_layer.sLineType; }
    /// Declared for the tile's public face; never filled (always empty).
    QString sPlotStyleName() const { return m_layer.sPlotStyleName; }
    qint32 iRow() const { return m_iRow; }
    qint32 iCol() const { return m_iCol; }

    // Read access for the main window, the commands and tests.
    qint32 iIndex() const { return m_iIndex; }
    bool bSelect() const { return m_bSelect; }
    bool bEnableEvent() const { return m_bEnableEvent; }
    const acad::DocumentPtr& oAcadDoc() const { return m_oAcadDoc; }
    QFrame* FraOne() const { return pr_oFraOne; }
    QFrame* FraBar() const { return pr_oFraBar; }
    WmfImage* ImgOne() const { return pr_oImgOne; }
    ImageButton* CmdView() const { return pr_oCmdView; }
    ImageButton* CmdFreeze() const { return pr_oCmdFreeze; }
    ImageButton* CmdLock() const { return pr_oCmdLock; }
    ImageButton* CmdColor() const { return pr_oCmdColor; }
    QComboBox* CboLineType() const { return pr_oCboLineType; }
    QLineEdit* TxtOne() const { return pr_oTxtOne; }

signals:
    /// A mouse button pressed on the picture; `shift` is the toolkit's
    /// shift state (1 Shift, 2 Ctrl, 4 Alt, added together).
    void pr_oImgOne_MouseDown(Qt::MouseButton button, qint32 shift, QPointF posTwips);
    /// A click on the picture (after its mouse press).
    void pr_oImgOne_Click();
    /// A double-click on the picture (after press and click of the first).
    void pr_oImgOne_DblClick();
    void pr_oCmdView_Click();
    void pr_oCmdFreeze_Click();
    void pr_oCmdLock_Click();
    void pr_oCmdColor_Click();
    /// The user chose an entry in the linetype box.
    void pr_oCboLineType_Click();

private:
    /// Refreshes the three button pictures, the colour swatch and the
    /// linetype box from the fields.
    void pr_subButtonUpdate();
    /// Name box text and the tooltips of the name box and the picture.
    void pr_subSetLayerText();
    /// Fills the linetype box from sLineTypeList.
    void pr_subSetLineTypeList();
    /// Shows the linetype name in the box; false when it is not among its entries.
    bool pr_funShowLineType();
    void pr_subShowNameBoxColors(const QColor& background, const QColor& foreground);
    /// A white ground under the picture area of `frame`, made once.
    void pr_subShowPictureGround(QFrame& frame);
    void pr_subConnectControls();
    /// Shows `picture` on `button`, when the button is bound.
    static void showState(ImageButton* button, StatePicture picture);

    LinetypeSource& m_linetypes;

    qint32 m_iIndex = 0;
    /// The layer as last read (its name set by InitialSettingAutoCAD).
    acad::LayerSnapshot m_layer;
    acad::DocumentPtr m_oAcadDoc;
    bool m_bSelect = false;
    bool m_bEnableEvent = true;
    qint32 m_iRow = 0;
    qint32 m_iCol = 0;

    QPointer<QFrame> pr_oFraOne;
    QPointer<QLineEdit> pr_oTxtOne;
    QPointer<WmfImage> pr_oImgOne;
    QPointer<QFrame> pr_oFraBar;
    QPointer<ImageButton> pr_oCmdView;
    QPointer<ImageButton> pr_oCmdFreeze;
    QPointer<ImageButton> pr_oCmdLock;
    QPointer<ImageButton> pr_oCmdColor;
    QPointer<QComboBox> pr_oCboLineType;
};

} // namespace tile
