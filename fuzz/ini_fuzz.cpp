// libFuzzer target for the settings-file reader: any bytes as a profile
// file; the window keys are read as integers, a value is changed, and the
// changed text must read back the same. Build with fuzz/build.sh.

#include "app/PrivateProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    app::PrivateProfile profile(bytes);
    for (const char* key : {"left", "top", "width", "height"})
        if (const auto text = profile.value(QStringLiteral("WMFPosi"), QString::fromLatin1(key)))
            (void)app::profileInteger(*text);
    // Some text out of the input itself as a value.
    const QString value = QString::fromUtf8(bytes.left(16)).simplified().remove(u'"').remove(u'\'');
    if (profile.setValue(QStringLiteral("WMFPosi"), QStringLiteral("left"), value)) {
        const app::PrivateProfile again(profile.content());
        const auto back = again.value(QStringLiteral("WMFPosi"), QStringLiteral("left"));
        if (!back || *back != value.trimmed())
            std::abort(); // a written value must read back
    }
    return 0;
}
