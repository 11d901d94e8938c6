#pragma once

#include <QSet>
#include <QString>
#include <QtGlobal>

#include <utility>

namespace app {

/// The text of the unexpected-error report: three lines joined by a lone CR,
/// naming the procedure, the error number in decimal and its description.
QString unexpectedErrorText(const QString& procedureName, qint32 number, const QString& description);

/// Reports an error a handler did not expect: one message box with the
/// critical icon, the OK button and the application title as caption.
/// Every handler that traps its own errors reports them through this.
void reportUnexpectedError(const QString& procedureName, qint32 number, const QString& description);
/// The same for a failure an automation surface reported (anything with the
/// error's number() and description()).
template <typename Error>
void reportUnexpectedError(const QString& procedureName, const Error& error)
{
    reportUnexpectedError(procedureName, error.number(), error.description());
}

/// While one of these lives, an unexpected-error report for a procedure and
/// error number already reported in its lifetime shows no further box: one
/// operation that meets the same failure many times over (a tile for every
/// unknown name of a list) says so once, not once a tile.
class OneReportPerCause {
public:
    OneReportPerCause();
    ~OneReportPerCause();
    OneReportPerCause(const OneReportPerCause&) = delete;
    OneReportPerCause& operator=(const OneReportPerCause&) = delete;

    /// True the first time the cause is met (the report is then shown).
    bool firstOf(const QString& procedureName, qint32 number);

private:
    QSet<std::pair<QString, qint32>> m_seen;
    OneReportPerCause* m_outer;
};

} // namespace app
