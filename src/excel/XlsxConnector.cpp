#include "XlsxConnector.h"

#include "XlsxPackageWriter.h"

#include "app/AppInfo.h"
#include "app/UserInterface.h"

#include <QDir>
#include <QUrl>

#include <utility>

namespace excel {

std::shared_ptr<XlsxConnector> XlsxConnector::askingUser(const QString& proposedPath)
{
    return std::shared_ptr<XlsxConnector>(new XlsxConnector(true, proposedPath));
}

std::shared_ptr<XlsxConnector> XlsxConnector::toFile(const QString& path)
{
    return std::shared_ptr<XlsxConnector>(new XlsxConnector(false, path));
}

bool XlsxConnector::chooseDestination()
{
    if (!m_ask)
        return true;
    m_chosen = app::ui().saveFileName(QStringLiteral("Excelブックの保存"), m_path,
                                      QStringLiteral("Excel ブック (*.xlsx)"));
    return !m_chosen.isEmpty();
}

ApplicationPtr XlsxConnector::attachRunning()
{
    if (!m_running)
        throw ExcelError(error::kUnavailable, QStringLiteral("no workbook application is running"));
    return m_running;
}

ApplicationPtr XlsxConnector::startNew()
{
    m_running = std::make_shared<XlsxApplication>();
    return m_running;
}

void XlsxConnector::release(const ApplicationPtr& application)
{
    m_written.clear();
    m_released.clear();
    if (!m_running || application != m_running)
        return;
    // The application stops running whatever happens below: its workbooks are
    // handed over once, and a failed write is reported, not retried.
    const std::shared_ptr<XlsxApplication> running = std::move(m_running);
    m_released = running->workbookModels();
    // The name asked before the export serves this release only, for the
    // workbook the export made (the last); any other is asked for here.
    const QString chosen = std::exchange(m_chosen, QString());
    const std::vector<WorkbookModelPtr>& books = running->workbookModels();
    for (std::size_t i = 0; i < books.size(); ++i) {
        const WorkbookModelPtr& book = books[i];
        QString path = m_path;
        if (m_ask) {
            path = (i + 1 == books.size() && !chosen.isEmpty())
                       ? chosen
                       : app::ui().saveFileName(QStringLiteral("Excelブックの保存"), m_path,
                                                QStringLiteral("Excel ブック (*.xlsx)"));
            if (path.isEmpty())
                continue;
        }
        writeXlsxFile(*book, path);
        m_written << path;
        if (m_ask && !app::ui().openExternally(QUrl::fromLocalFile(path))) {
            // Written all the same: the user learns where, not a line on stderr.
            app::ui().closePleaseWait();
            app::ui().message(QStringLiteral("Excelブックを保存しましたが、開くアプリケーションが見つからないため開けませんでした。")
                                  + QChar(13) + QDir::toNativeSeparators(path),
                              app::MsgButtons::Ok, app::MsgIcon::Exclamation, QString::fromUtf16(app::kAppTitle));
        }
    }
}

} // namespace excel
