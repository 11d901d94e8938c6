#pragma once

#include "acad/AutomationError.h"

namespace excel {

/// A failure reported by the spreadsheet application: its error number and
/// description. Every member of the spreadsheet surface may throw it.
class ExcelError : public acad::AutomationError {
public:
    using AutomationError::AutomationError;
};

namespace error {
/// The spreadsheet refused a value: a sheet name it does not accept, a picture
/// file it cannot insert, a range outside the sheet (0x800A03EC, "1004").
constexpr qint32 kRefused = -2146827284;
/// An index outside a collection (0x8002000B).
constexpr qint32 kBadIndex = -2147352565;
/// A proxy whose object is gone, e.g. a deleted worksheet (0x800A01A8, "424").
constexpr qint32 kObjectGone = -2146827864;
/// No spreadsheet application is running, or none could be started (0x800401E3).
constexpr qint32 kUnavailable = -2147221021;
/// The workbook file could not be written (0x800A03EC range left free: 0x8021F1xx).
constexpr qint32 kWriteFailed = -2145259263;
} // namespace error

} // namespace excel
