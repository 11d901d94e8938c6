#include "IniSettings.h"

#include "AtomicReplace.h"
#include "DriveKind.h"
#include "PrivateProfile.h"
#include "ProgramFolder.h"
#include "RegularFileRead.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

bool g_writePermitted = false;

// The platform's text buffer holds 255 characters, the last one the NUL.
constexpr qsizetype kTextBufferSize = 255;

/// The read-only attribute as the platform would report it: no write bit for
/// the owner, or a file the process may not write (read-only mount; root
/// passes permission bits, so the owner's bit is what marks the file).
bool isReadOnly(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return true;
    return (st.st_mode & S_IWUSR) == 0 || ::access(native.constData(), W_OK) != 0;
}

// Far beyond any settings file of ours (a few lines); a larger one is not
// ours to read whole into memory.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

/// The settings file's text; a link, a FIFO, a device or a huge file reads as
/// no file at all, so the defaults apply.
QByteArray readSettings(const QString& path)
{
    return readRegularFile(path, kMaxSettingsBytes).value_or(QByteArray());
}

/// The variant as the original's text conversion gives it (whole numbers
/// without a decimal point; an empty variant is the empty text).
QString variantText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', v.typeId() == QMetaType::Float ? 7 : 15);
    }
    return v.toString();
}

/// The variant as a 32-bit integer: numbers round half to even, as the
/// original's conversion does; anything that is no number gives 0.
qint32 variantInteger(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return 0;
    const double r = std::nearbyint(d);
    if (r > double(INT32_MAX) || r < double(INT32_MIN))
        return 0;
    return qint32(r);
}

QString cutToBuffer(const QString& text)
{
    if (text.size() <= kTextBufferSize - 1)
        return text;
    qsizetype n = kTextBufferSize - 1;
    if (text[n - 1].isHighSurrogate())  // never cut a character in half
        --n;
    return text.left(n);
}

} // namespace

bool isAbsoluteSettingsPath(const QString& path)
{
    if (path.startsWith(u'/') || path.startsWith(QStringLiteral("\\\\")))
        return true;
    return path.size() >= 3 && path[0].isLetter() && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
}

qint32 SetINI(QString& sIniFileName)
{
    if (sIniFileName.isEmpty())
        return 0;
    if (!isAbsoluteSettingsPath(sIniFileName)) {
        const ProgramFolders folders = programFolders();
        // No folder for the settings: no file, the defaults, nothing written.
        if (folders.settings.isEmpty()) {
            sIniFileName.clear();
            g_writePermitted = false;
            return 0;
        }
        sIniFileName = folders.settings + u'/' + sIniFileName;
        // The user's configuration folder may not be there yet; the folder of a
        // build, a portable copy or KASANEMI_HOME is never made here.
        if (folders.installed)
            QDir().mkpath(folders.settings);
    }

    // A drive or network path in Windows form names no place here: taken as a
    // file name it would land in the current folder. Nothing can be written.
    if (!sIniFileName.startsWith(u'/')) {
        g_writePermitted = false;
        return 0;
    }

    const PathKind kind = pathKind(sIniFileName);
    if (kind != PathKind::Missing) {
        // Only a regular file of its own is ever written: never through a
        // link (its target would be replaced by a file of ours), never a
        // FIFO, device or huge file, which read as absent.
        if (kind != PathKind::RegularFile || QFileInfo(sIniFileName).size() > kMaxSettingsBytes
            || isReadOnly(sIniFileName)) {
            g_writePermitted = false;
            return 0;
        }
        g_writePermitted = true;
        return isOnFixedDrive(sIniFileName) ? 1 : 2;
    }

    const bool fixed = isOnFixedDrive(sIniFileName);
    QFile file(sIniFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        // No file and none can be made (no such folder, a file in the way,
        // a read-only medium): nothing can be written; readers get defaults.
        g_writePermitted = false;
        return 0;
    }
    file.close();
    if (fixed) {
        g_writePermitted = true;
        return -1;
    }
    return -2;
}

QVariant GetINI(QString& sIniFileName, const QString& Section, const QString& Key, const QVariant& Default,
                bool Integeral)
{
    SetINI(sIniFileName);
    const PrivateProfile profile(readSettings(sIniFileName));
    const std::optional<QString> found = profile.value(Section, Key);
    if (Integeral) {
        if (!found || found->isEmpty())
            return QVariant(variantInteger(Default));
        return QVariant(profileInteger(*found));
    }
    QString text;
    if (found) {
        text = *found;
    } else {
        // The platform drops the default's trailing blanks.
        text = variantText(Default);
        while (text.endsWith(u' '))
            text.chop(1);
    }
    text = cutToBuffer(text);
    if (text.isEmpty())  // the platform read nothing
        return QVariant();
    // Blanks (spaces) go from both ends; a quoted "  " thus reads as an empty text.
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return QVariant(text.mid(begin, end - begin));
}

qint32 WriteINI(QString& sIniFileName, const QString& Section, const QString& Key, const QVariant& WriteString)
{
    SetINI(sIniFileName);
    const QString text = variantText(WriteString);
    if (!g_writePermitted)
        return 0;
    const std::optional<QByteArray> current = readRegularFile(sIniFileName, kMaxSettingsBytes);
    if (!current)
        return 0;
    PrivateProfile profile(*current);
    if (!profile.setValue(Section, Key, text))
        return 0;
    // Replaced through a file beside it when the folder lets us; a writable
    // file in a folder we may not write is written in place, as the
    // platform's profile write does. A short write (a full disk) leaves the
    // file as it was.
    return replaceFile(sIniFileName, profile.content(), {.inPlaceWhenFolderLocked = true}).isEmpty() ? 1 : 0;
}

bool iniWritePermitted()
{
    return g_writePermitted;
}

void resetIniWritePermission()
{
    g_writePermitted = false;
}

} // namespace app
