#include "InfoText.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include <stdexcept>

namespace info {

QString buildInfoText(const QString& executablePath)
{
    const QFileInfo executable(executablePath);
    if (!executable.exists())
        throw std::runtime_error(QStringLiteral("実行ファイルが見つかりません: %1")
                                     .arg(executablePath).toStdString());
    const QString buildDate = executable.lastModified().toLocalTime().toString(QStringLiteral("yyyy/MM/dd"));
    QString versionDigits = kVersion;
    versionDigits.remove(QLatin1Char('.'));

    const QStringList lines{
        QString(),
        QStringLiteral("　【ソフト名称 】") + kProductName,
        QStringLiteral("　【バージョン 】Ver") + kVersion,
        QStringLiteral("　【配　布　名 】") + kProgramBaseName.toUpper() + versionDigits + QStringLiteral(".lzh"),
        QStringLiteral("　【作　成　日 】") + buildDate,
        QStringLiteral("　【対応　O S　】Windows 98SE/2000/XP"),
        QStringLiteral("　【対応AutoCAD】AutoCAD2000-2006"),
        QString(),
        QStringLiteral("AutoCADのオブジェクトを画層単位にプレビュー表示します。"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString contactTemplate()
{
    return QStringLiteral("------------------------------------------------\r\n"
                          "ご意見・ご質問は下記までお寄せください。\r\n"
                          "　ホームページ： ") + kUrlPlaceholder + QStringLiteral("\r\n"
                          "　メール　　　： ") + kMailPlaceholder;
}

QString fillContact(QString text, const QString& url, const QString& mail)
{
    text.replace(kUrlPlaceholder, url);
    text.replace(kMailPlaceholder, mail);
    return text;
}

} // namespace info
