#pragma once

namespace app {

/// The application title: caption of the program's message boxes (unless a
/// message names another caption) and of the please-wait window.
inline constexpr char16_t kAppTitle[] = u"Kasanemi Ver4.00";

/// The version as the programs show it: in the information dialog and
/// after --version (the package carries it as 4.0.0).
inline constexpr char16_t kVersion[] = u"4.00";

} // namespace app
