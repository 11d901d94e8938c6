#pragma once

#include "AutomationError.h"

namespace acad {

/// A failure reported by the drawing host (or by the way to it): the host's
/// error number, as AutoCAD gives it, and its description. Every member of
/// the automation surface may throw it.
class AcadError : public AutomationError {
public:
    using AutomationError::AutomationError;
};

/// Error numbers callers tell apart. The first two are AutoCAD's own; the rest
/// are the drawing host's and the bus client's, all in the 0x8021F0xx range
/// that AutoCAD leaves unused.
namespace error {
/// A layer or linetype name that is not in the drawing (0x80200014).
constexpr qint32 kKeyNotFound = -2145386476;
/// Making a frozen layer current (0x80210056).
constexpr qint32 kFrozenLayerCurrent = -2145320874;
/// Freezing the current layer (0x8021F001).
constexpr qint32 kCurrentLayerFrozen = -2145259519;
/// RunMacro with a name the loaded macro project does not hold (0x8021F002).
constexpr qint32 kUnknownMacro = -2145259518;
/// LoadDVB with a path where no macro project is (0x8021F003).
constexpr qint32 kMacroProjectMissing = -2145259517;
/// An index out of range in a collection (0x8021F004).
constexpr qint32 kIndexOutOfRange = -2145259516;
/// A value the member does not accept (bad mode, bad filter, empty name) (0x8021F005).
constexpr qint32 kInvalidArgument = -2145259515;
/// Save on a drawing the host can read but not write (a DWG); Save As
/// writes it as DXF (0x8021F006).
constexpr qint32 kDrawingNotWritable = -2145259514;
/// More than the host holds for one caller: a selection set beyond the
/// document's limit, a name or path longer than any the host takes (0x8021F007).
constexpr qint32 kLimitReached = -2145259513;
/// The host cannot be reached: no bus, no owner of the name, or it vanished (0x8021F010).
constexpr qint32 kHostUnreachable = -2145259504;
/// The host did not answer within the call time limit (0x8021F011).
constexpr qint32 kHostTimeout = -2145259503;
/// Any other failure inside the host, e.g. a file it could not write (0x8021F0FF).
constexpr qint32 kHostFailure = -2145259265;
} // namespace error

} // namespace acad
