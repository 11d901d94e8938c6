#include "Commands.h"

#include "DrawingReport.h"
#include "acad/AcadError.h"

#include <QJsonDocument>

#include <cstdio>

namespace cad::cli {

int runInspect(const QStringList& args)
{
    if (args.size() != 1) {
        std::fputs("usage: kasanemi-cad --inspect FILE.dxf\n", stderr);
        return 2;
    }
    try {
        QString warning;
        const QJsonObject report = inspectDrawing(args.front(), &warning);
        if (!warning.isEmpty())
            std::fprintf(stderr, "kasanemi-cad: warning: %s\n", warning.toLocal8Bit().constData());
        const QByteArray json = QJsonDocument(report).toJson(QJsonDocument::Compact);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fputc('\n', stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
    } catch (const acad::AcadError& e) {
        // One line, whatever the file held.
        const QString line = e.description().simplified();
        std::fprintf(stderr, "kasanemi-cad: %s\n", line.toLocal8Bit().constData());
        return 2;
    }
}

} // namespace cad::cli
