#include "DwgConverter.h"

#include "app/ProgramFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include <fcntl.h>

namespace cad::dwg {
namespace {

// The converter's exit codes (see kasanemi-dwg-converter.mjs).
constexpr int kRefused = 3;
constexpr int kCrashed = 4;
constexpr int kPackageMissing = 5;

// How often the converter's memory is looked at while it runs.
constexpr int kPollMs = 50;

[[noreturn]] void fail(const QString& reason)
{
    throw DwgConversionError(reason.toStdString());
}

int positiveEnvironmentNumber(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

/// The resident memory of process `pid` from /proc, or -1 once it is gone.
qint64 residentBytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

/// The converter's last line on stderr (the library may print notes before it).
QString lastLine(const QByteArray& errors)
{
    const QList<QByteArray> lines = errors.trimmed().split('\n');
    return QString::fromUtf8(lines.isEmpty() ? QByteArray() : lines.last().trimmed());
}

} // namespace

ConverterLimits limitsFromEnvironment()
{
    ConverterLimits limits;
    limits.timeLimitMs = positiveEnvironmentNumber("KASANEMI_DWG_TIME_LIMIT_MS", limits.timeLimitMs);
    limits.memoryLimitBytes =
        qint64(positiveEnvironmentNumber("KASANEMI_DWG_MEMORY_LIMIT_MB", int(limits.memoryLimitBytes >> 20))) << 20;
    return limits;
}

ConverterProgram findConverterProgram()
{
    ConverterProgram program;
    program.node = qEnvironmentVariable("KASANEMI_NODE");
    if (program.node.isEmpty())
        program.node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (program.node.isEmpty())
        program.node = QStandardPaths::findExecutable(QStringLiteral("nodejs"));
    program.script = qEnvironmentVariable("KASANEMI_DWG_CONVERTER");
    if (program.script.isEmpty())
        program.script = app::dataFolder() + QStringLiteral("/dwg-converter/kasanemi-dwg-converter.mjs");
    return program;
}

bool isDwgFile(const QString& path)
{
    if (path.endsWith(QLatin1String(".dwg"), Qt::CaseInsensitive))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(6);
    return head.size() == 6 && head.startsWith("AC") && std::all_of(head.begin() + 2, head.end(), [](char c) {
               return c >= '0' && c <= '9';
           });
}

OpenFile convertToDxf(const QString& path, const ConverterLimits& limits)
{
    return convertToDxf(path, findConverterProgram(), limits);
}

OpenFile convertToDxf(const QString& path, const ConverterProgram& program, const ConverterLimits& limits)
{
    if (program.node.isEmpty() || !QFileInfo(program.node).isExecutable())
        fail(QStringLiteral("DWG 図面を読むための Node.js が見つかりません。"
                            "sudo apt-get install nodejs でインストールしてください。"));
    if (!QFileInfo::exists(program.script))
        fail(QStringLiteral("DWG 変換プログラム %1 が見つかりません。kasanemi パッケージを入れ直してください。")
                 .arg(program.script));
    if (!QFileInfo(path).isFile())
        fail(QStringLiteral("ファイルがありません"));

    QTemporaryDir work;
    if (!work.isValid())
        fail(QStringLiteral("変換用の一時フォルダーを作れません: %1").arg(work.errorString()));
    const QString output = work.filePath(QStringLiteral("drawing.dxf"));

    QProcess converter;
    converter.setStandardOutputFile(QProcess::nullDevice());
    // Liftoff alone compiles the module at once; V8's optimising tier would
    // spend most of a minute and most of a gigabyte on it.
    converter.start(program.node, {QStringLiteral("--liftoff-only"), program.script, path, output});
    if (!converter.waitForStarted())
        fail(QStringLiteral("Node.js (%1) を起動できません: %2").arg(program.node, converter.errorString()));

    QElapsedTimer clock;
    clock.start();
    QString limitHit;
    while (!converter.waitForFinished(kPollMs)) {
        if (clock.elapsed() > limits.timeLimitMs)
            limitHit = QStringLiteral("変換が制限時間 %1 秒を超えたため中止しました").arg(limits.timeLimitMs / 1000.0);
        else if (residentBytes(converter.processId()) > limits.memoryLimitBytes)
            limitHit = QStringLiteral("変換がメモリの上限 %1 MB を超えたため中止しました").arg(limits.memoryLimitBytes >> 20);
        if (!limitHit.isEmpty()) {
            converter.kill();
            converter.waitForFinished(-1);
            fail(limitHit);
        }
    }
    const QString reason = lastLine(converter.readAllStandardError());
    if (converter.exitStatus() != QProcess::NormalExit)
        fail(QStringLiteral("DWG を読むライブラリ LibreDWG が異常終了しました（%1）").arg(converter.errorString()));
    switch (converter.exitCode()) {
    case 0:
        break;
    case kRefused:
        fail(QStringLiteral("DWG を読むライブラリ LibreDWG が読み込めませんでした（%1）").arg(reason));
    case kCrashed:
        fail(QStringLiteral("DWG を読むライブラリ LibreDWG がこの図面で異常終了しました（%1）").arg(reason));
    case kPackageMissing:
        fail(QStringLiteral("DWG を読むライブラリ @mlightcad/libredwg-web がインストールされていません"
                            "（%1）。kasanemi パッケージを入れ直すか、ソースから使う場合は "
                            "scripts/setup.sh を実行してください。")
                 .arg(QFileInfo(program.script).absolutePath()));
    default:
        fail(QStringLiteral("DWG 変換プログラムが失敗しました（終了コード %1: %2）").arg(converter.exitCode()).arg(reason));
    }
    // Kept open, the text outlives its folder: it is read from the file and
    // read back from it at Save As, never held.
    const int descriptor = ::open(QFile::encodeName(output).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        fail(QStringLiteral("DWG 変換プログラムが DXF を書きませんでした"));
    return OpenFile(descriptor);
}

} // namespace cad::dwg
