#include "ErrorReport.h"

#include "AppInfo.h"
#include "UserInterface.h"

namespace app {

QString unexpectedErrorText(const QString& procedureName, qint32 number, const QString& description)
{
    return QStringLiteral("予期せぬエラーが ") + procedureName + QStringLiteral(" で発生しました。") + QChar(u'\r')
         + QStringLiteral("番号：") + QString::number(number) + QChar(u'\r') + QStringLiteral("内容：")
         + description;
}

void reportUnexpectedError(const QString& procedureName, qint32 number, const QString& description)
{
    ui().message(unexpectedErrorText(procedureName, number, description), MsgButtons::Ok, MsgIcon::Critical,
                 QString::fromUtf16(kAppTitle));
}

} // namespace app
