#include "ExportExcelDialog.h"

#include "acad/PictureProtocol.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/ProgramFolder.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"
#include "excel/XlsxConnector.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace {

/// Where the workbook is proposed to go: beside the drawing (or in the home
/// folder for a drawing never saved), named after it with ".xlsx".
QString proposedWorkbookPath(const acad::DocumentPtr& doc)
{
    QString name = QStringLiteral("Book1");
    QString folder = QDir::homePath();
    try {
        const QFileInfo drawing(doc->name());
        if (!drawing.completeBaseName().isEmpty())
            name = drawing.completeBaseName();
        const QFileInfo full(doc->fullName());
        if (full.exists())
            folder = full.absolutePath();
    } catch (const acad::AcadError&) {
        // The proposal is only a proposal; the export itself reports host failures.
    }
    return QDir(folder).filePath(name + QStringLiteral(".xlsx"));
}

void fillCombo(QComboBox* combo, int from, int to, int divisor, bool oneDecimal, const QString& initial)
{
    // Steps counted in integers, so 0.1 steps do not drift.
    QStringList items;
    for (int v = from; v <= to; ++v)
        items << (oneDecimal ? QString::number(double(v) / divisor, 'f', 1) : QString::number(v / divisor));
    combo->addItems(items);
    // The list position goes with the shown text, so that opening the list
    // or an arrow key starts from it.
    combo->setCurrentIndex(combo->findText(initial));
    combo->setEditText(initial);
}

} // namespace

void frmExportExcel::pu_subShow(const acad::DocumentPtr& oAcadDoc, const acad::NameList& sLayerArray,
                                QWidget* parent)
{
    auto connector = excel::XlsxConnector::askingUser(proposedWorkbookPath(oAcadDoc));
    frmExportExcel dialog(oAcadDoc, sLayerArray, connector,
                          acad::workFolderIn(app::programFolder()), parent);
    // A drawing whose layers cannot be read (the host gone) ends with the
    // error report; an empty dialog after it would offer nothing to export.
    if (!dialog.Form_Activate())
        return;
    dialog.m_listFilled = true;
    dialog.exec();
}

frmExportExcel::frmExportExcel(acad::DocumentPtr oAcadDoc, acad::NameList sLayerArray,
                               std::shared_ptr<excel::ExcelConnector> connector, QString pictureFolder,
                               QWidget* parent)
    : QDialog(parent), m_oAcadDoc(std::move(oAcadDoc)), m_sLayerArray(std::move(sLayerArray)),
      m_connector(std::move(connector)), m_pictureFolder(std::move(pictureFolder))
{
    setObjectName(QStringLiteral("frmExportExcel"));
    setWindowTitle(QStringLiteral("画層イメージのExcelシート出力"));
    createControls();
    pr_subInitCombo();
    pr_subLayoutEnable();
}

void frmExportExcel::createControls()
{
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };

    LblHeader = named(new QLabel(QStringLiteral("Excelへ出力する画層を下のリストより選択してください"), this), "LblHeader");
    LstLayer = named(new QListWidget(this), "LstLayer");
    LstLayer->setSelectionMode(QAbstractItemView::MultiSelection);
    CmdSelectAll = named(new QPushButton(QStringLiteral("ALL"), this), "CmdSelectAll");

    FraLayout = named(new QGroupBox(QStringLiteral("画層イメージレイアウト"), this), "FraLayout");
    OptOneSheet = named(new QRadioButton(QStringLiteral("指定イメージ数／1シート"), FraLayout), "OptOneSheet");
    OptSeparateSheet = named(new QRadioButton(QStringLiteral("1イメージ／1シート"), FraLayout), "OptSeparateSheet");
    OptOneSheet->setChecked(true);
    auto combo = [&](const char* name) {
        auto* c = named(new QComboBox(FraLayout), name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumContentsLength(5);
        return c;
    };
    CboRowNum = combo("CboRowNum");
    LblRow = named(new QLabel(QStringLiteral("行 ×"), FraLayout), "LblRow");
    CboColNum = combo("CboColNum");
    LblCol = named(new QLabel(QStringLiteral("列"), FraLayout), "LblCol");
    LblWidth = named(new QLabel(QStringLiteral("イメージの大きさ（幅）"), FraLayout), "LblWidth");
    CboWidth = combo("CboWidth");
    LblWidth2 = named(new QLabel(QStringLiteral("cm"), FraLayout), "LblWidth2");
    LblOffset = named(new QLabel(QStringLiteral("イメージの間隔"), FraLayout), "LblOffset");
    CboOffset = combo("CboOffset");
    LblOffset2 = named(new QLabel(QStringLiteral("cm"), FraLayout), "LblOffset2");
    ChkFrame = named(new QCheckBox(QStringLiteral("イメージを枠で囲む"), FraLayout), "ChkFrame");
    ChkFrame->setChecked(true);
    CboFrame = combo("CboFrame");
    LblFrame = named(new QLabel(QStringLiteral("ポイント"), FraLayout), "LblFrame");

    auto* grid = new QGridLayout(FraLayout);
    grid->addWidget(OptOneSheet, 0, 0, 1, 2);
    auto* rowsColumns = new QHBoxLayout;
    rowsColumns->addWidget(CboRowNum);
    rowsColumns->addWidget(LblRow);
    rowsColumns->addWidget(CboColNum);
    rowsColumns->addWidget(LblCol);
    rowsColumns->addStretch();
    grid->addLayout(rowsColumns, 0, 2, 1, 2);
    grid->addWidget(OptSeparateSheet, 1, 0, 1, 2);
    grid->addWidget(LblWidth, 2, 0, 1, 2);
    grid->addWidget(CboWidth, 2, 2);
    grid->addWidget(LblWidth2, 2, 3);
    grid->addWidget(LblOffset, 3, 0, 1, 2);
    grid->addWidget(CboOffset, 3, 2);
    grid->addWidget(LblOffset2, 3, 3);
    grid->addWidget(ChkFrame, 4, 0, 1, 2);
    grid->addWidget(CboFrame, 4, 2);
    grid->addWidget(LblFrame, 4, 3);

    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "CmdCancel");
    CmdOK->setAutoDefault(false);
    CmdCancel->setAutoDefault(false);

    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch();
    listButtons->addWidget(CmdSelectAll);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);

    auto* main = new QVBoxLayout(this);
    main->addWidget(LblHeader);
    main->addWidget(LstLayer, 1);
    main->addLayout(listButtons);
    main->addWidget(FraLayout);
    main->addLayout(buttons);
    resize(420, 520);

    connect(OptOneSheet, &QRadioButton::clicked, this, &frmExportExcel::pr_subLayoutEnable);
    connect(OptSeparateSheet, &QRadioButton::clicked, this, &frmExportExcel::pr_subLayoutEnable);
    connect(CmdSelectAll, &QPushButton::clicked, this, &frmExportExcel::CmdSelectAll_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &frmExportExcel::CmdCancel_Click);
    connect(CmdOK, &QPushButton::clicked, this, &frmExportExcel::CmdOK_Click);
}

void frmExportExcel::pr_subInitCombo()
{
    fillCombo(CboRowNum, 1, 100, 1, false, QStringLiteral("3"));
    fillCombo(CboColNum, 1, 50, 1, false, QStringLiteral("2"));
    fillCombo(CboWidth, 4, 200, 2, true, QStringLiteral("9.0"));
    fillCombo(CboOffset, 0, 100, 10, true, QStringLiteral("1.0"));
    fillCombo(CboFrame, 2, 20, 2, true, QStringLiteral("1.0"));
}

void frmExportExcel::pr_subLayoutEnable()
{
    const bool grid = !OptSeparateSheet->isChecked();
    CboRowNum->setEnabled(grid);
    CboColNum->setEnabled(grid);
    CboOffset->setEnabled(grid);
}

void frmExportExcel::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Filled just before it was shown, or filled anew at every showing.
    if (!std::exchange(m_listFilled, false))
        Form_Activate();
}

bool frmExportExcel::Form_Activate()
{
    LstLayer->clear();
    if (!m_oAcadDoc)
        return true;
    // The list follows the drawing's layer table, in table order, read in one
    // call; names passed in that the drawing does not hold simply match nothing.
    const QStringList wanted = m_sLayerArray.mid(1);
    try {
        for (const QString& name : m_oAcadDoc->layerNames()) {
            auto* item = new QListWidgetItem(name, LstLayer);
            item->setSelected(wanted.contains(name));
        }
    } catch (const acad::AcadError& e) {
        app::reportUnexpectedError(QStringLiteral("Form_Activate"), e);
        return false;
    }
    return true;
}

void frmExportExcel::CmdSelectAll_Click()
{
    for (int i = 0; i < LstLayer->count(); ++i)
        LstLayer->item(i)->setSelected(true);
}

void frmExportExcel::CmdCancel_Click()
{
    hide();
}

void frmExportExcel::CmdOK_Click()
{
    const QString title = QString::fromUtf16(app::kAppTitle);
    QStringList chosen;
    for (int i = 0; i < LstLayer->count(); ++i)
        if (LstLayer->item(i)->isSelected())
            chosen << LstLayer->item(i)->text();
    if (chosen.isEmpty()) {
        app::ui().message(QStringLiteral("イメージ出力したい画層をリストより選択してください。"),
                          app::MsgButtons::Ok, app::MsgIcon::Exclamation, title);
        return;
    }

    exportexcel::ExportExcelOptionTexts texts;
    texts.imagesPerSheet = OptOneSheet->isChecked();
    texts.rows = CboRowNum->currentText();
    texts.columns = CboColNum->currentText();
    texts.width = CboWidth->currentText();
    texts.spacing = CboOffset->currentText();
    texts.frame = ChkFrame->isChecked();
    texts.frameWeight = CboFrame->currentText();
    QString problem;
    const auto options = exportexcel::readOptions(texts, &problem);
    if (!options) {
        // A layout that cannot be laid out is refused before anything is made.
        app::ui().message(problem, app::MsgButtons::Ok, app::MsgIcon::Exclamation, title);
        return;
    }

    hide();
    exportexcel::ExportRequest request;
    request.document = m_oAcadDoc;
    request.layerNames = chosen;
    request.pictureFolder = m_pictureFolder;
    request.raiseDialog = [this] { app::SetForeground(app::windowHandle(this)); };
    m_lastResult = exportexcel::exportLayers(*m_connector, request, *options);
}
