#pragma once

#include <QVariant>
#include <QtGlobal>
#include <vector>

namespace csv {

/// A two-dimensional table of cells with explicit lower and upper bounds in
/// each dimension, as the CSV array functions exchange them. A cell is empty
/// (an invalid QVariant: never assigned) or holds a value, usually a text.
/// A table may have no elements at all (the state after clear()).
class CsvTable {
public:
    /// A table with no elements.
    CsvTable() = default;
    /// A table of empty cells from (lower1, lower2) to (upper1, upper2);
    /// an upper bound below its lower bound gives a table with no elements.
    CsvTable(qint32 lower1, qint32 upper1, qint32 lower2, qint32 upper2);

    bool hasElements() const { return !m_cells.empty(); }
    /// Bounds of dimension 1 or 2; meaningless when there are no elements.
    qint32 lowerBound(int dimension) const;
    qint32 upperBound(int dimension) const;

    /// The cell at (i, j); throws std::out_of_range outside the bounds.
    const QVariant& cell(qint32 i, qint32 j) const;
    void setCell(qint32 i, qint32 j, const QVariant& value);

    /// Sets the upper bound of dimension 2, keeping every cell inside both the
    /// old and the new bounds; new cells are empty.
    void setUpperBound2(qint32 upper2);

    /// Drops every element.
    void clear();

private:
    size_t indexOf(qint32 i, qint32 j) const;

    qint32 m_lower1 = 0, m_upper1 = -1, m_lower2 = 0, m_upper2 = -1;
    std::vector<QVariant> m_cells;  // dimension 1 varies fastest, so rows can grow at the end
};

} // namespace csv
