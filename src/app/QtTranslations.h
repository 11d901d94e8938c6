#pragma once

class QCoreApplication;

namespace app {

/// Loads Qt's own Japanese translations (qtbase_ja.qm from Qt's translations
/// folder; Debian ships them in qt6-translations-l10n), so the standard
/// buttons (はい/いいえ) and the file dialog speak the program's language
/// whatever the desktop's. Returns false when the file is not installed; the
/// standard texts then stay English and nothing else changes.
bool installQtTranslations(QCoreApplication& application);

} // namespace app
