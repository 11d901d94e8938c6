#include "ErrorReport.h"

#include "AppInfo.h"
#include "UserInterface.h"

namespace app {

namespace {
OneReportPerCause* g_scope = nullptr; // the innermost living scope; reports come from the UI thread only
}

OneReportPerCause::OneReportPerCause() : m_outer(g_scope) { g_scope = this; }

OneReportPerCause::~OneReportPerCause() { g_scope = m_outer; }

bool OneReportPerCause::firstOf(const QString& procedureName, qint32 number)
{
    const std::pair<QString, qint32> cause(procedureName, number);
    if (m_seen.contains(cause))
        return false;
    m_seen.insert(cause);
    return true;
}

QString unexpectedErrorText(const QString& procedureName, qint32 number, const QString& description)
{
    return QStringLiteral("予期せぬエラーが ") + procedureName + QStringLiteral(" で発生しました。") + QChar(u'\r')
         + QStringLiteral("番号：") + QString::number(number) + QChar(u'\r') + QStringLiteral("内容：")
         + description;
}

void reportUnexpectedError(const QString& procedureName, qint32 number, const QString& description)
{
    if (g_scope && !g_scope->firstOf(procedureName, number))
        return;
    ui().message(unexpectedErrorText(procedureName, number, description), MsgButtons::Ok, MsgIcon::Critical,
                 QString::fromUtf16(kAppTitle));
}

} // namespace app
