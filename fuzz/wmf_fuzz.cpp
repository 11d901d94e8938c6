// libFuzzer target for the metafile reader and player: any bytes are loaded
// and, when they load, played into a small image. Build and run with
// fuzz/wmf_build.sh.

#include "metafile/WmfPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    metafile::WmfPicture picture;
    if (!picture.loadData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    (void)picture.sizeTwips();
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(2, 2, 60, 44));
    // Zoomed and panned, as the overview shows it: most of it out of sight.
    picture.draw(painter, QRectF(-90, -70, 240, 180));
    return 0;
}
