#pragma once

// The layer tile: one object per layer shown in the main window.
//
// How the tile's commands plug in: the tile turns every user action on its
// controls into one Qt signal (the list under "signals" below, one per
// handler: pr_oImgOne_MouseDown, pr_oImgOne_Click, pr_oImgOne_DblClick,
// pr_oCmdView_Click, pr_oCmdFreeze_Click, pr_oCmdLock_Click,
// pr_oCmdColor_Click, pr_oCboLineType_Click). The commands live in their own
// class, `tile::TileCommands` (src/tile/TileCommands.{h,cpp}), which is a
// friend of clsDWF so that it may change the tile's fields and faces as the
// handlers must. The main window emits `tileCreated(clsDWF*)` for every tile
// it creates; whoever builds the commands connects to it and attaches a
// TileCommands object to the tile (parented to the tile, so it dies with it).
//
// The tile itself never writes to the drawing: it reads the layer's state
// (SetLayerState) and the current layer (pu_subActiveLayerCheck) and shows
// them. Programmatic changes of the linetype box never emit
// pr_oCboLineType_Click: only a choice made by the user does.

#include "ImageButton.h"
#include "WmfImage.h"
#include "acad/AcadSurface.h"

#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QString>

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>

namespace tile {

class TileHost;

class clsDWF : public QObject {
    Q_OBJECT
public:
    /// Class_Initialize: events enabled, everything else empty, zero or false.
    explicit clsDWF(TileHost& host, QObject* parent = nullptr);
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
    /// The same from a record the main window read for many tiles at once
    /// (Document::layerStates): the faces show it without asking the host.
    void SetLayerState(const acad::LayerSnapshot& record);
    /// Binds the tile to its layer and the drawing.
    void InitialSettingAutoCAD(const QString& sLayerName, const acad::DocumentPtr& oAcadDoc);
    /// Binds the nine controls, lays them out, shows them, places the tile in
    /// the grid, writes the name box and tooltips, checks the current layer
    /// and fills the linetype box. Any failure is reported naming
    /// "InitialSetting" and the steps after it are skipped.
    void InitialSetting(qint32 iIndex, QFrame* oFraOne, QFrame* oFraBar, WmfImage* oImgOne,
                        ImageButton* oCmdView, ImageButton* oCmdFreeze, ImageButton* oCmdLock,
                        ImageButton* oCmdColor, QComboBox* oCboLineType, QLineEdit* oTxtOne,
                        qint32 iPicMainWidth);
    /// Computes iRow and iCol for a tile area `iPicMainWidth` twips wide with
    /// `iTopScrol` rows scrolled off the top, and moves the frame there. An
    /// area narrower than one pitch (no column) is reported naming
    /// "pu_subUpdateLocation" and the tile stays where it was.
    void pu_subUpdateLocation(qint32 iPicMainWidth, qint32 iTopScrol);
    /// Button bar red with white text when the layer is the drawing's
    /// current one (exact, case-sensitive name), else the normal colours. The
    /// current layer's name comes from the main window, which reads it once
    /// for all its tiles. Failures are reported naming "pu_subActiveLayerCheck".
    void pu_subActiveLayerCheck();
    /// Gives the tile picture the overview picture's size and offset (below
    /// the name box). Failures are ignored.
    void pu_subImageUpdate();
    /// Shows the tile as selected (name box dark blue).
    void SelectView();
    /// Shows the tile as not selected. Failures are ignored.
    void ResetSelect();

    // Public read-only properties.
    bool bAllViewportFreaze() const { return m_bAllViewportFreaze; }
    bool bLayerOn() const { return m_bLayerOn; }
    bool bLock() const { return m_bLock; }
    bool bNewViewportFreaze() const { return m_bNewViewportFreaze; }
    bool bPlottable() const { return m_bPlottable; }
    qint32 lnColor() const { return m_lnColor; }
    /// Declared for the tile's public face; never filled (always 0).
    qint32 lnLineWeight() const { return m_lnLineWeight; }
    QString sLayerName() const { return m_sLayerName; }
    QString sLineType() const { return m_sLineType; }
    /// Declared for the tile's public face; never filled (always empty).
    QString sPlotStyleName() const { return m_sPlotStyleName; }
    qint32 iRow() const { return m_iRow; }
    qint32 iCol() const { return m_iCol; }

    // Read access for the main window, the commands and tests.
    qint32 iIndex() const { return m_iIndex; }
    bool bSelect() const { return m_bSelect; }
    bool bEnableEvent() const { return m_bEnableEvent; }
    const acad::DocumentPtr& oAcadDoc() const { return m_oAcadDoc; }
    TileHost& host() const { return m_host; }
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
    friend class TileCommands;

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
    void pr_subConnectControls();

    TileHost& m_host;

    qint32 m_iIndex = 0;
    QString m_sLayerName;
    bool m_bLayerOn = false;
    bool m_bAllViewportFreaze = false;
    bool m_bLock = false;
    qint32 m_lnColor = 0;
    QString m_sLineType;
    bool m_bPlottable = false;
    bool m_bNewViewportFreaze = false;
    qint32 m_lnLineWeight = 0;
    QString m_sPlotStyleName;
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
