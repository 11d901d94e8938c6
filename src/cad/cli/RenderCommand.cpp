// `kasanemi-cad --render FILE.dxf OUT.png|OUT.svg [--layer NAME] [--size PX]`:
// a picture of a drawing for documents and reports, made as the picture
// macros make theirs (the whole drawing with every layer but the current one
// on and thawed, or one layer alone), played through our own metafile player
// onto white.

#include "Commands.h"

#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "app/AtomicReplace.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "metafile/WmfPicture.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace cad::cli {

namespace {

constexpr int defaultSize = 1600;
constexpr int smallestSize = 16;
constexpr int largestSize = 10000; // 400 MB of pixels at most

void fail(const QString& message)
{
    std::fprintf(stderr, "kasanemi-cad: %s\n", message.simplified().toLocal8Bit().constData());
}

struct RenderArguments {
    QString drawing, output, layer;
    bool hasLayer = false;
    int size = defaultSize;
};

std::optional<RenderArguments> parse(const QStringList& args)
{
    RenderArguments out;
    const QCommandLineOption layer(QStringLiteral("layer"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("PX"));
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({layer, size});
    if (!parser.parse(QStringList{QStringLiteral("kasanemi-cad")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        fail(unknown.isEmpty() ? parser.errorText() : QStringLiteral("unknown option --") + unknown.front());
        return std::nullopt;
    }
    if (parser.isSet(layer)) {
        out.layer = parser.values(layer).back();
        out.hasLayer = true;
    }
    if (parser.isSet(size)) {
        const QString value = parser.values(size).back();
        bool ok = false;
        out.size = value.toInt(&ok);
        if (!ok || out.size < smallestSize || out.size > largestSize) {
            fail(QStringLiteral("--size must be a whole number of pixels from %1 to %2, not \"%3\"")
                     .arg(smallestSize)
                     .arg(largestSize)
                     .arg(value));
            return std::nullopt;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        fail(QStringLiteral("usage: kasanemi-cad --render FILE.dxf OUT.png|OUT.svg [--layer NAME] [--size PX]"));
        return std::nullopt;
    }
    out.drawing = positional[0];
    out.output = positional[1];
    const QString suffix = out.output.section(u'.', -1).toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
        fail(QStringLiteral("the picture must be a .png or .svg file: %1").arg(out.output));
        return std::nullopt;
    }
    return out;
}

/// Plays the picture onto white into `device` of `size`.
void play(const metafile::WmfPicture& picture, QPaintDevice& device, QSize size)
{
    QPainter painter(&device);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
}

} // namespace

int runRender(const QStringList& args)
{
    const std::optional<RenderArguments> request = parse(args);
    if (!request)
        return 2;
    std::unique_ptr<CadDocument> document;
    try {
        document = CadDocument::open(request->drawing);
    } catch (const acad::AcadError& e) {
        fail(e.description());
        return 2;
    } catch (const std::exception& e) {
        fail(QStringLiteral("cannot read %1: %2").arg(request->drawing, QString::fromLocal8Bit(e.what())));
        return 2;
    }
    int layer = -1;
    if (request->hasLayer) {
        layer = document->drawing().findLayer(request->layer);
        if (layer < 0) {
            fail(QStringLiteral("the drawing has no layer \"%1\"").arg(request->layer));
            return 2;
        }
    }
    if (!document->loadWarning().isEmpty())
        std::fprintf(stderr, "kasanemi-cad: warning: %s\n", document->loadWarning().toLocal8Bit().constData());
    // As a refresh leaves the drawing for the macros, through the same
    // surface, in memory only.
    const auto host = std::make_shared<LocalApplication>(std::move(document));
    try {
        acad::switchLayersOnAndThawed(*host->activeDocument());
    } catch (const acad::AcadError& e) {
        fail(e.description());
        return 1;
    }
    const Drawing& drawing = host->document().drawing();
    const QByteArray wmf = layer >= 0 ? macros::layerPicture(drawing, layer) : macros::drawingPicture(drawing);
    metafile::WmfPicture picture;
    QString error;
    if (!picture.loadData(wmf, &error)) {
        fail(QStringLiteral("the picture cannot be played: %1").arg(error));
        return 1;
    }
    const QSizeF natural = picture.sizeTwips();
    const double scale = request->size / std::max(natural.width(), natural.height());
    const QSize size(std::max(1, int(std::lround(natural.width() * scale))),
                     std::max(1, int(std::lround(natural.height() * scale))));

    const QString why = app::replaceFile(request->output, [&](QIODevice& file) {
        if (!request->output.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
            QImage image(size, QImage::Format_RGB32);
            play(picture, image, size);
            return image.save(&file, "PNG");
        }
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QFileInfo(request->drawing).fileName());
        play(picture, svg, size);
        return true;
    });
    if (!why.isEmpty()) {
        fail(QStringLiteral("cannot write %1: %2").arg(request->output, why));
        return 1;
    }
    return 0;
}

} // namespace cad::cli
