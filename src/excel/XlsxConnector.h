#pragma once

#include "ExcelSurface.h"
#include "XlsxApplication.h"

#include <QString>
#include <memory>

namespace excel {

/// Reaches the workbook backend. There is at most one running application,
/// started on request; when the export lets go of it (`release`), each of its
/// workbooks is written as an .xlsx file and the application stops running.
///
/// Where a workbook goes depends on how the connector was made:
/// - `askingUser`: the user names the file in a save dialog (proposed: the
///   given path) when the export asks for the destination, before anything
///   is made; cancelling there ends the export. The file is opened with the
///   desktop's default application once written.
/// - `toFile`: written to the given path, nothing asked and nothing opened
///   (batch mode). Several workbooks would overwrite each other; the export
///   makes one.
/// Writing is atomic; a write that fails throws ExcelError
/// (error::kWriteFailed) from `release`, naming the file and the reason.
class XlsxConnector : public ExcelConnector {
public:
    static std::shared_ptr<XlsxConnector> askingUser(const QString& proposedPath);
    static std::shared_ptr<XlsxConnector> toFile(const QString& path);

    bool chooseDestination() override;
    ApplicationPtr attachRunning() override;
    ApplicationPtr startNew() override;
    void release(const ApplicationPtr& application) override;

    /// The files written by the last `release`, in workbook order.
    const QStringList& writtenFiles() const { return m_written; }
    /// The workbooks the last `release` handed over (written or discarded).
    const std::vector<WorkbookModelPtr>& releasedWorkbooks() const { return m_released; }

private:
    XlsxConnector(bool ask, QString path) : m_ask(ask), m_path(std::move(path)) {}

    bool m_ask;
    QString m_path;
    /// The file the user named for the next release; empty until asked.
    QString m_chosen;
    std::shared_ptr<XlsxApplication> m_running;
    QStringList m_written;
    std::vector<WorkbookModelPtr> m_released;
};

} // namespace excel
