#include "ExportExcelBas.h"

namespace basExcel {

bool pu_fun_bGetExcel(excel::ExcelConnector& connector, excel::ApplicationPtr& oExcel)
{
    oExcel.reset();
    try {
        oExcel = connector.attachRunning();
        return oExcel != nullptr;
    } catch (const excel::ExcelError&) {
    }
    try {
        oExcel = connector.startNew();
        if (oExcel)
            oExcel->setVisible(true);
    } catch (const excel::ExcelError&) {
        oExcel.reset();
    }
    return oExcel != nullptr;
}

bool pu_fun_bSetArrayToSheet(const excel::ApplicationPtr& oExcel, const excel::WorksheetPtr& oSheet,
                             const excel::Table& table, qint32 startRow)
{
    if (!oExcel || !oSheet || table.empty() || table.front().empty())
        return false;
    const qint32 upperRow = qint32(table.size()) - 1;
    const qint32 upperColumn = qint32(table.front().size()) - 1;
    try {
        const excel::RangePtr range = oSheet->range(startRow, 1, upperRow + startRow, upperColumn + 1);
        range->setValue(table);
        const excel::BordersPtr borders = range->borders();
        borders->setLineStyle(excel::xl::kLineContinuous);
        borders->setWeight(excel::xl::kWeightThin);
        borders->setColorIndex(excel::xl::kColorIndexAutomatic);
        oSheet->autoFitColumns();
        return true;
    } catch (const excel::ExcelError&) {
        return false;
    }
}

} // namespace basExcel
