#include "ExportExcelOptions.h"

#include <QLocale>

#include <cmath>

namespace exportexcel {
namespace {

constexpr qint32 kMaxGrid = 1000;
constexpr double kMaxWidthCm = 500.0;
constexpr double kMaxSpacingCm = 500.0;
constexpr double kMaxFrameWeight = 100.0;

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<ExportExcelOptions> readOptions(const ExportExcelOptionTexts& texts, QString* problem)
{
    auto refuse = [&](const QString& why) -> std::optional<ExportExcelOptions> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };

    ExportExcelOptions options;
    options.imagesPerSheet = texts.imagesPerSheet;
    options.frame = texts.frame;

    const auto width = number(texts.width);
    if (!width || *width <= 0 || *width > kMaxWidthCm)
        return refuse(QStringLiteral("イメージの大きさ（幅）には 0 より大きく %1 以下の数値を入力してください。")
                          .arg(kMaxWidthCm));
    options.widthCm = *width;

    const auto weight = number(texts.frameWeight);
    if (!weight || *weight < 0 || *weight > kMaxFrameWeight)
        return refuse(QStringLiteral("枠の太さ（ポイント）には 0 以上 %1 以下の数値を入力してください。")
                          .arg(kMaxFrameWeight));
    options.frameWeight = *weight;

    if (!options.imagesPerSheet) {
        // One picture a sheet: rows, columns and spacing do not enter the layout.
        options.rows = options.columns = 1;
        options.spacingCm = number(texts.spacing).value_or(0.0);
        if (!(options.spacingCm >= 0 && options.spacingCm <= kMaxSpacingCm))
            options.spacingCm = 0.0;
        return options;
    }

    const auto rows = number(texts.rows);
    const auto columns = number(texts.columns);
    // Rounded half to even, as the original number conversion does.
    const qint64 r = rows ? std::llrint(*rows) : 0;
    const qint64 c = columns ? std::llrint(*columns) : 0;
    if (r < 1 || r > kMaxGrid || c < 1 || c > kMaxGrid)
        return refuse(QStringLiteral("行と列には 1 以上 %1 以下の数値を入力してください。").arg(kMaxGrid));
    options.rows = qint32(r);
    options.columns = qint32(c);

    const auto spacing = number(texts.spacing);
    if (!spacing || *spacing < 0 || *spacing > kMaxSpacingCm)
        return refuse(QStringLiteral("イメージの間隔には 0 以上 %1 以下の数値を入力してください。")
                          .arg(kMaxSpacingCm));
    options.spacingCm = *spacing;
    return options;
}

} // namespace exportexcel
