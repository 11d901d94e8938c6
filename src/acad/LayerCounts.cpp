#include "LayerCounts.h"

#include "AcadError.h"

namespace acad {
namespace {

Document& requireDocument(const DocumentPtr& document)
{
    if (!document)
        throw AcadError(error::kHostUnreachable, QStringLiteral("オブジェクトを数える図面がありません。"));
    return *document;
}

} // namespace

qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName)
{
    return requireDocument(oAcadDoc).countLayerObjects(QStringList{layerName});
}

qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    // Element 0 is never read.
    return requireDocument(oAcadDoc).countLayerObjects(layerNames.mid(1));
}

qint32 CountLayerObjectsOf(const DocumentPtr& oAcadDoc, const QStringList& layerNames)
{
    return requireDocument(oAcadDoc).countLayerObjects(layerNames);
}

std::vector<qint32> CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    return requireDocument(oAcadDoc).countLayerObjectsEach(layerNames.mid(1));
}

} // namespace acad
