// libFuzzer target for the layer-name wildcards: the first line of the input
// is the pattern, every further line a name to match against it. Reading the
// pattern and matching stay near the size of the input whatever brackets,
// stars and escapes it holds (a run gets -timeout to catch anything slower).
// Build with fuzz/build.sh.

#include "acad/LayerWildcard.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = text.split(u'\n');
    const acad::LayerWildcard pattern(lines.front());
    if (pattern.compileSteps() > 4 * std::size_t(lines.front().size()) + 8)
        __builtin_trap();  // reading the pattern grew faster than the pattern
    for (qsizetype i = 1; i < lines.size(); ++i)
        (void)pattern.matches(lines[i]);
    if (pattern.isLiteral() && !pattern.matches(pattern.literal()))
        __builtin_trap();  // a pattern without wildcards matches itself
    return 0;
}
