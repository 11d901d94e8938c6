#include "LayerCounts.h"

#include "AcadError.h"
#include "BatchReads.h"

namespace acad {
namespace {

// The one selection set the object count creates and leaves in the drawing.
const QString kCountSetName = QStringLiteral("cSet");
// Select mode "all" and the group code of the layer name.
constexpr qint32 kSelectAll = 5;
constexpr qint16 kLayerNameGroupCode = 8;

// A failure of the way to the host rather than of the host's answer.
bool hostLost(const AcadError& failure)
{
    return failure.number() == error::kHostUnreachable || failure.number() == error::kHostTimeout;
}

// Removes every named selection set of the document, its own or another
// program's. The host's refusal ends nothing: a set that cannot be deleted
// stays. A host that is gone or does not answer ends the count at once,
// rather than after one failed call (or one time limit) per set.
void deleteAllSelectionSets(Document& document)
{
    qint32 count = 0;
    SelectionSetsPtr sets;
    try {
        sets = document.selectionSets();
        count = sets->count();
    } catch (const AcadError& failure) {
        if (hostLost(failure))
            throw;
        return;
    }
    for (qint32 i = 0; i < count; ++i) {
        try {
            sets->item(0)->erase();
        } catch (const AcadError& failure) {
            if (hostLost(failure))
                throw;
        }
    }
}

qint32 countNames(const DocumentPtr& document, const QStringList& names)
{
    if (!document)
        throw AcadError(error::kHostUnreachable, QStringLiteral("No document to count in"));
    if (auto* batch = dynamic_cast<BatchReads*>(document.get()))
        return batch->countLayerObjects(names);

    deleteAllSelectionSets(*document);
    const SelectionSetPtr set = document->selectionSets()->add(kCountSetName);
    qint32 total = 0;
    for (const QString& name : names) {
        set->clear();
        set->select(kSelectAll, {kLayerNameGroupCode}, QVariantList{name});
        total += set->count();
    }
    return total;
}

} // namespace

qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName)
{
    return countNames(oAcadDoc, QStringList{layerName});
}

qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    // Element 0 is never read.
    return countNames(oAcadDoc, layerNames.mid(1));
}

qint32 CountLayerObjectsOf(const DocumentPtr& oAcadDoc, const QStringList& layerNames)
{
    return countNames(oAcadDoc, layerNames);
}

std::vector<qint32> CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    const QStringList names = layerNames.mid(1);
    if (auto* batch = dynamic_cast<BatchReads*>(oAcadDoc.get()))
        return batch->countLayerObjectsEach(names);
    std::vector<qint32> counts;
    counts.reserve(size_t(names.size()));
    for (const QString& name : names)
        counts.push_back(countNames(oAcadDoc, QStringList{name}));
    return counts;
}

} // namespace acad
