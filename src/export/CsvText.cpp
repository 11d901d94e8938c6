#include "CsvText.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <cmath>

namespace csv {

QList<CsvField> splitLine(QStringView line, QStringView delimiter)
{
    Q_ASSERT(!delimiter.isEmpty());
    QList<CsvField> fields;
    const QString quoteAndDelimiter = QChar(u'"') + delimiter.toString();
    qsizetype pos = 0;
    for (;;) {
        if (pos < line.size() && line[pos] == u'"') {
            const qsizetype close = line.indexOf(quoteAndDelimiter, pos + 1);
            if (close >= 0) {
                fields.append({line.mid(pos + 1, close - pos - 1).toString(), true});
                pos = close + quoteAndDelimiter.size();
                continue;
            }
            // The last field runs to the end of the line: its opening quote
            // goes, and its last character when that is the closing quote. A
            // quote left open ("dim) keeps every character it encloses.
            const QStringView rest = line.mid(pos + 1);
            const bool closed = !rest.isEmpty() && rest.back() == u'"';
            const QString text = (closed ? rest.chopped(1) : rest).toString();
            fields.append({text.isNull() ? QString("") : text, true}); // a lone quote: an empty text
            return fields;
        }
        const qsizetype next = line.indexOf(delimiter, pos);
        if (next < 0) {
            fields.append({line.mid(pos).toString(), false});
            return fields;
        }
        fields.append({line.mid(pos, next - pos).toString(), false});
        pos = next + delimiter.size();
    }
}

QList<QStringView> splitRecords(const QString& text, bool lineFeedEnds)
{
    QList<QStringView> lines;
    const QStringView all(text);
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < all.size()) {
        if (all[i] == u'\r') {
            lines.append(all.mid(start, i - start));
            i += (i + 1 < all.size() && all[i + 1] == u'\n') ? 2 : 1;
            start = i;
        } else if (lineFeedEnds && all[i] == u'\n') {
            lines.append(all.mid(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < all.size())
        lines.append(all.mid(start));
    return lines;
}

bool isNumericText(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?[ \\t]*$"));
    return number.match(text).hasMatch();
}

bool isDateText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    static const QRegularExpression ymd(QStringLiteral("^([0-9]{1,4})/([0-9]{1,2})/([0-9]{1,2})(?:\\s+(.+))?$"));
    static const QRegularExpression md(QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})$"));
    static const QRegularExpression kanjiYmd(QStringLiteral("^(?:([0-9]{1,4})年)?([0-9]{1,2})月([0-9]{1,2})日$"));
    static const QRegularExpression hms(QStringLiteral("^([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?$"));
    static const QRegularExpression kanjiHms(QStringLiteral("^([0-9]{1,2})時([0-9]{1,2})分(?:([0-9]{1,2})秒)?$"));

    const auto validTime = [&](const QString& s) {
        for (const QRegularExpression* re : {&hms, &kanjiHms}) {
            const auto m = re->match(s);
            if (m.hasMatch())
                return QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid();
        }
        return false;
    };
    const auto year = [](int y) { return y < 100 ? (y < 30 ? 2000 + y : 1900 + y) : y; };

    if (const auto m = ymd.match(t); m.hasMatch()) {
        if (!QDate(year(m.captured(1).toInt()), m.captured(2).toInt(), m.captured(3).toInt()).isValid())
            return false;
        return m.captured(4).isEmpty() || validTime(m.captured(4));
    }
    if (const auto m = md.match(t); m.hasMatch())
        return QDate(2000, m.captured(1).toInt(), m.captured(2).toInt()).isValid();  // 2000: a leap year
    if (const auto m = kanjiYmd.match(t); m.hasMatch()) {
        const int y = m.captured(1).isEmpty() ? 2000 : year(m.captured(1).toInt());
        return QDate(y, m.captured(2).toInt(), m.captured(3).toInt()).isValid();
    }
    return validTime(t);
}

std::optional<QString> cellText(const QVariant& cell)
{
    if (!cell.isValid())
        return QString();
    switch (cell.typeId()) {
    case QMetaType::QString:
        return cell.toString();
    case QMetaType::Bool:
        return cell.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return cell.toString();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = cell.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', cell.typeId() == QMetaType::Float ? 7 : 15);
    }
    case QMetaType::QDate:
        return cell.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QTime:
        return cell.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return cell.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    case QMetaType::QByteArray:
        return QString::fromUtf8(cell.toByteArray());
    default:
        return std::nullopt;
    }
}

} // namespace csv
