#include "LayerListFile.h"

#include "export/LayerListReader.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace viewer {
namespace {

QSet<QString> foldedNames(const acad::NameList& drawingLayers)
{
    QSet<QString> layers;
    for (qsizetype i = 1; i < drawingLayers.size(); ++i)
        layers.insert(drawingLayers.at(i).toCaseFolded());
    return layers;
}

qsizetype layersNamed(const QStringList& names, const QSet<QString>& layers)
{
    qsizetype found = 0;
    for (const QString& name : names)
        found += layers.contains(name.toCaseFolded()) ? 1 : 0;
    return found;
}

} // namespace

LayerListRead readLayerListFile(const QString& path, const acad::NameList& drawingLayers, acad::NameList& names)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kLayerListFileLimit)
        return LayerListRead::Unreadable;
    const QSet<QString> layers = foldedNames(drawingLayers);
    const std::optional<QStringList> read
        = csv::readLayerList(path, [&layers](const QStringList& listed) { return layersNamed(listed, layers); });
    if (!read)
        return info.isFile() ? LayerListRead::Unreadable : LayerListRead::Reported;
    names.append(*read);
    return LayerListRead::Read;
}

LayerListProblem checkLayerList(const acad::NameList& listed, const acad::NameList& drawingLayers)
{
    const qsizetype names = acad::nameCount(listed);
    const qsizetype layers = acad::nameCount(drawingLayers);
    if (names > std::max(kListedNamesFloor, kListedNamesPerLayer * layers))
        return LayerListProblem::TooManyNames;
    if (names == 0)
        return LayerListProblem::None; // an empty list ends in the refresh's own report
    return layersNamed(listed.mid(1), foldedNames(drawingLayers)) > 0 ? LayerListProblem::None
                                                                      : LayerListProblem::NoLayerNamed;
}

QString layerListRefusal(const QString& path, LayerListProblem problem, qsizetype listedNames, qsizetype layers)
{
    const QString head = QStringLiteral("『 ") + QDir::toNativeSeparators(path)
        + QStringLiteral(" 』は画層の一覧として使えません。\r\n");
    if (problem == LayerListProblem::TooManyNames)
        return head + QStringLiteral("%L1 件の名前があり、図面の画層数（%L2）に比べて多すぎます。").arg(listedNames).arg(layers);
    return head + QStringLiteral("図面の画層の名前が一つも含まれていません。");
}

QString layerListUnreadable(const QString& path)
{
    return QStringLiteral("『 ") + QDir::toNativeSeparators(path)
        + QStringLiteral(" 』は画層の一覧として使えません。\r\n表として読めませんでした（大きすぎるか、壊れています）。");
}

} // namespace viewer
