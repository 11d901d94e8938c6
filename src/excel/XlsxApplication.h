#pragma once

#include "ExcelSurface.h"
#include "WorkbookModel.h"

#include <vector>

namespace excel {

/// The spreadsheet surface on an in-memory workbook model: every member checks
/// its input where it enters, as the spreadsheet would, and records the result
/// in the model; XlsxPackageWriter writes the model as an .xlsx package.
/// A new workbook has three sheets "Sheet1" to "Sheet3", as the spreadsheet's
/// own default does.
class XlsxApplication : public Application {
public:
    XlsxApplication();

    bool visible() override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }
    qint32 windowState() override { return m_windowState; }
    void setWindowState(qint32 state) override;
    QString caption() override;
    WorkbooksPtr workbooks() override;
    bool screenUpdating() override { return m_screenUpdating; }
    void setScreenUpdating(bool on) override { m_screenUpdating = on; }
    double centimetersToPoints(double centimetres) override;

    /// The workbooks added so far, in order.
    const std::vector<WorkbookModelPtr>& workbookModels() const { return *m_workbooks; }

private:
    bool m_visible = false;
    qint32 m_windowState = xl::kWindowNormal;
    bool m_screenUpdating = true;
    // Shared with the Workbooks collections handed out, which may outlive a call.
    std::shared_ptr<std::vector<WorkbookModelPtr>> m_workbooks;
};

} // namespace excel
