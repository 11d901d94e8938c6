#pragma once

#include <QRegularExpression>
#include <QString>

namespace testsupport {

/// A description a user sees is Japanese: outside the names it quotes in
/// 「」 (layers, files, macros), it holds no Latin letter.
inline bool describedInJapanese(const QString& description)
{
    QString outsideNames = description;
    outsideNames.remove(QRegularExpression(QStringLiteral("「[^」]*」")));
    return !description.isEmpty() && !outsideNames.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

} // namespace testsupport
