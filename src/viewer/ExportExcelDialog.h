#pragma once

#include "export/ExportExcel.h"

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"
#include "excel/ExcelSurface.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

/// The export dialog: the user chooses layers of the drawing and the layout of
/// their pictures, and OK exports them to a spreadsheet workbook.
class frmExportExcel : public QDialog {
    Q_OBJECT
public:
    /// Keeps the drawing and the names to preselect (a layer-name list:
    /// element 0 unused), shows the dialog modally and deletes it when it
    /// closes. The workbook is saved where the user says, proposed beside the
    /// drawing under its name with ".xlsx".
    static void pu_subShow(const acad::DocumentPtr& oAcadDoc, const acad::NameList& sLayerArray,
                           QWidget* parent = nullptr);

    /// The dialog itself (Form_Load): `connector` reaches the spreadsheet and
    /// `pictureFolder` holds the layer pictures. The layer list is filled each
    /// time the dialog is shown.
    frmExportExcel(acad::DocumentPtr oAcadDoc, acad::NameList sLayerArray,
                   std::shared_ptr<excel::ExcelConnector> connector, QString pictureFolder,
                   QWidget* parent = nullptr);

    /// How the last OK ended; empty before one ran the export.
    std::optional<exportexcel::ExportResult> lastResult() const { return m_lastResult; }

    // Controls, named as the program names them.
    QLabel* LblHeader = nullptr;
    QListWidget* LstLayer = nullptr;
    QPushButton* CmdSelectAll = nullptr;
    QGroupBox* FraLayout = nullptr;
    QRadioButton* OptOneSheet = nullptr;
    QRadioButton* OptSeparateSheet = nullptr;
    QComboBox* CboRowNum = nullptr;
    QLabel* LblRow = nullptr;
    QComboBox* CboColNum = nullptr;
    QLabel* LblCol = nullptr;
    QComboBox* CboWidth = nullptr;
    QLabel* LblWidth = nullptr;
    QLabel* LblWidth2 = nullptr;
    QComboBox* CboOffset = nullptr;
    QLabel* LblOffset = nullptr;
    QLabel* LblOffset2 = nullptr;
    QCheckBox* ChkFrame = nullptr;
    QComboBox* CboFrame = nullptr;
    QLabel* LblFrame = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void pr_subInitCombo();
    void pr_subLayoutEnable();
    /// Fills the list with the drawing's layers; false, after the error
    /// report, when they cannot be read.
    bool Form_Activate();
    void CmdSelectAll_Click();
    void CmdCancel_Click();
    void CmdOK_Click();

    acad::DocumentPtr m_oAcadDoc;
    acad::NameList m_sLayerArray;
    std::shared_ptr<excel::ExcelConnector> m_connector;
    QString m_pictureFolder;
    std::optional<exportexcel::ExportResult> m_lastResult;
    /// The list was filled just before the dialog is shown.
    bool m_listFilled = false;
};
