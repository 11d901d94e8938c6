// Construction of the main window's controls: the upper band (overview
// panes, layer lists, options), the tile area with its scroll bar and its
// tile grid (which makes the design-time controls of tile 1), and the hidden
// state-picture holders. All
// placement is in twips, relative to the client area below the title bar;
// the band from the top down to 420 is left to the toolbar.

#include "FrmWMF.h"

#include "CaptionBox.h"
#include "NamedWidget.h"
#include "TileGrid.h"
#include "app/EvenRowsDelegate.h"
#include "app/Twips.h"
#include "app/FittedFont.h"
#include "tile/ImageButton.h"
#include "tile/StatePictures.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>

using tile::placeInTwips;
using viewer::named;

namespace {

QFrame* overviewFrame(const QString& name, QWidget* parent, double left)
{
    QFrame* frame = named<QFrame>(name, parent);
    frame->setFrameShape(QFrame::NoFrame);
    placeInTwips(*frame, QRectF(left, 420, 2565, 2895));
    return frame;
}

} // namespace

void frmWMF::createViewerControls()
{
    QWidget* client = named<QWidget>(QStringLiteral("ClientArea"), this);
    setCentralWidget(client);
    CboZoom()->setParent(client);
    placeInTwips(*CboZoom(), QRectF(30, 30, 615, app::pixelsToTwips(CboZoom()->sizeHint().height())));
    CboZoom()->show();

    // Tile area first, so that everything of the upper band lies above it.
    m_picMain = named<QWidget>(QStringLiteral("PicMain"), client);
    m_picMain->setAutoFillBackground(true);
    placeInTwips(*m_picMain, QRectF(30, 3480, 5660, 4000));

    m_scrBarV = named<QScrollBar>(QStringLiteral("ScrBarV"), Qt::Vertical, client);
    placeInTwips(*m_scrBarV, QRectF(5400, 3510, 255, 3940));

    // The sorted helper list lies hidden behind the overview frame.
    m_lstLayersSort = named<QListWidget>(QStringLiteral("LstLayersSort"), client);
    placeInTwips(*m_lstLayersSort, QRectF(90, 450, 1005, 1260));
    m_lstLayersSort->hide();

    m_fraALL = overviewFrame(QStringLiteral("FraALL"), client, 60);
    m_imgALL = named<tile::WmfImage>(QStringLiteral("ImgALL"), m_fraALL);
    m_imgALL->setTwipsGeometry(QRectF(0, 30, 2535, 2415));
    m_imgALL->setCursor(Qt::OpenHandCursor);
    m_txtALL = named<viewer::CaptionBox>(QStringLiteral("TxtALL"), m_fraALL);
    placeInTwips(*m_txtALL, QRectF(0, 2460, 2565, 435));
    m_txtALL->setText(QStringLiteral("更新ボタンをクリックしてください\r\n"));
    connect(m_imgALL, &tile::WmfImage::mousePressed, this, &frmWMF::ImgALL_MouseDown);
    connect(m_imgALL, &tile::WmfImage::mouseMoved, this, &frmWMF::ImgALL_MouseMove);
    connect(m_imgALL, &tile::WmfImage::mouseReleased, this, &frmWMF::ImgALL_MouseUp);

    m_fraPart = overviewFrame(QStringLiteral("FraPart"), client, 2970);
    m_imgPart = named<tile::WmfImage>(QStringLiteral("ImgPart"), m_fraPart);
    m_imgPart->setTwipsGeometry(QRectF(0, 30, 2535, 2415));
    m_txtPart = named<viewer::CaptionBox>(QStringLiteral("TxtPart"), m_fraPart);
    placeInTwips(*m_txtPart, QRectF(0, 2460, 2565, 435));
    // Shown only by a refresh that leaves some layers out.
    m_fraPart->hide();

    m_lstLayers = named<QListWidget>(QStringLiteral("LstLayers"), client);
    m_lstLayers->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstLayers->setItemDelegate(new app::EvenRowsDelegate(m_lstLayers));
    placeInTwips(*m_lstLayers, QRectF(2970, 420, 2625, 2880));

    m_fraViewDblClick = named<QGroupBox>(QStringLiteral("FraViewDblClick"), QStringLiteral("画面ダブルクリック時動作"), client);
    placeInTwips(*m_fraViewDblClick, QRectF(5820, 480, 3855, 1065));
    m_optDblClickActive = named<QRadioButton>(QStringLiteral("OptDblClickActive"),
                                              QStringLiteral("画層をｱｸﾃｨﾌﾞにしてAutoCADを前面にする"), m_fraViewDblClick);
    placeInTwips(*m_optDblClickActive, QRectF(180, 300, 3555, 255));
    m_optDblClickActive->setChecked(true);
    m_optDblClickExclusiveView = named<QRadioButton>(QStringLiteral("OptDblClickExclusiveView"),
                                                     QStringLiteral("当該画層以外非表示にする（排他表示）"),
                                                     m_fraViewDblClick);
    placeInTwips(*m_optDblClickExclusiveView, QRectF(180, 660, 3405, 255));

    m_chkViewOnly = named<QCheckBox>(QStringLiteral("ChkViewOnly"),
                                     QStringLiteral("現在表示設定となっている画層のみをプレビュー"), client);
    placeInTwips(*m_chkViewOnly, QRectF(5850, 1740, 4275, 255));
    // The captions keep their controls' design widths, whatever the fonts.
    for (QAbstractButton* option : std::initializer_list<QAbstractButton*>{
             m_optDblClickActive, m_optDblClickExclusiveView, m_chkViewOnly})
        app::fitCaptionFont(*option);

    // The six state pictures the tile buttons copy, hidden under the tiles.
    for (tile::StatePicture which : {tile::StatePicture::ViewOn, tile::StatePicture::ViewOff,
                                     tile::StatePicture::FreezeOn, tile::StatePicture::FreezeOff,
                                     tile::StatePicture::LockOn, tile::StatePicture::LockOff}) {
        auto* holder = named<tile::ImageButton>(tile::statePictureName(which), client);
        holder->showPicture(tile::statePixmap(which, devicePixelRatioF()), tile::statePictureName(which));
        placeInTwips(*holder, QRectF(60, 3480, 195, 195));
        holder->hide();
    }

    // The grid scrolls the tile area and makes tile 1's controls.
    m_grid = new viewer::TileGrid({m_picMain, m_scrBarV, m_lstLayers, m_optDblClickActive, m_optDblClickExclusiveView},
                                  this);
}
