#pragma once

#include "app/AppInfo.h"

#include <QString>

namespace info {

/// Product facts shown by the information dialog.
inline const QString kProductName = QStringLiteral("Kasanemi");
inline const QString kVersion = QString::fromUtf16(app::kVersion);
/// The program's base name as the settings file (QEMTINF.ini) and the
/// distribution archive carry it, whatever the executable is called on disk.
inline const QString kProgramBaseName = QStringLiteral("QEMTINF");

/// The project's web page and support address, written into the contact block.
inline const QString kWebPageUrl = QStringLiteral("https://kasanemi.example.org/");
inline const QString kSupportMail = QStringLiteral("support@kasanemi.example.org");

/// Placeholders of the contact block, replaced when the dialog opens.
inline const QString kUrlPlaceholder = QStringLiteral("%WEB_PAGE%");
inline const QString kMailPlaceholder = QStringLiteral("%E_MAIL%");

/// The read-me file in the data folder (beside the executables in a build).
inline const QString kReadMeFileName = QStringLiteral("ReadMe.txt");

/// The information text: an empty first line, then the product, version,
/// distribution name, build date, systems and description lines, all joined
/// with CR LF. The build date is the modification date (local time,
/// "yyyy/MM/dd") of the file at `executablePath`. Throws std::runtime_error
/// when that file does not exist, so the caller can report it.
QString buildInfoText(const QString& executablePath);

/// The contact block's template: a line of dashes, then contact lines holding
/// the two placeholders.
QString contactTemplate();

/// `text` with every web-page placeholder replaced by `url` and every e-mail
/// placeholder by `mail`.
QString fillContact(QString text, const QString& url, const QString& mail);

} // namespace info
