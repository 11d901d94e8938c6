#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>
#include <string>

namespace acad {

/// A failure reported through an automation surface (the drawing host's or
/// the spreadsheet's): the application's error number, a negative HRESULT in
/// decimal as automation gives it, and its description. Each surface derives
/// its own error from this, so handlers report either the same way.
class AutomationError : public std::exception {
public:
    AutomationError(qint32 number, QString description)
        : m_number(number), m_description(std::move(description)),
          m_what(m_description.toStdString()) {}

    qint32 number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    qint32 m_number;
    QString m_description;
    std::string m_what;
};

} // namespace acad
