#pragma once

#include <QString>
#include <QtGlobal>

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

} // namespace app
