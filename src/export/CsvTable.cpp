#include "CsvTable.h"

#include <stdexcept>

namespace csv {

CsvTable::CsvTable(qint32 lower1, qint32 upper1, qint32 lower2, qint32 upper2)
{
    if (upper1 < lower1 || upper2 < lower2)
        return;
    m_lower1 = lower1;
    m_upper1 = upper1;
    m_lower2 = lower2;
    m_upper2 = upper2;
    m_cells.resize(size_t(qint64(upper1) - lower1 + 1) * size_t(qint64(upper2) - lower2 + 1));
}

qint32 CsvTable::lowerBound(int dimension) const
{
    return dimension == 1 ? m_lower1 : m_lower2;
}

qint32 CsvTable::upperBound(int dimension) const
{
    return dimension == 1 ? m_upper1 : m_upper2;
}

size_t CsvTable::indexOf(qint32 i, qint32 j) const
{
    if (m_cells.empty() || i < m_lower1 || i > m_upper1 || j < m_lower2 || j > m_upper2)
        throw std::out_of_range("CsvTable: index out of bounds");
    const size_t width = size_t(qint64(m_upper1) - m_lower1 + 1);
    return size_t(qint64(j) - m_lower2) * width + size_t(qint64(i) - m_lower1);
}

const QVariant& CsvTable::cell(qint32 i, qint32 j) const
{
    return m_cells[indexOf(i, j)];
}

void CsvTable::setCell(qint32 i, qint32 j, const QVariant& value)
{
    m_cells[indexOf(i, j)] = value;
}

void CsvTable::setUpperBound2(qint32 upper2)
{
    if (m_cells.empty() || upper2 < m_lower2) {
        clear();
        return;
    }
    m_upper2 = upper2;
    m_cells.resize(size_t(qint64(m_upper1) - m_lower1 + 1) * size_t(qint64(upper2) - m_lower2 + 1));
}

void CsvTable::clear()
{
    m_cells.clear();
    m_lower1 = m_lower2 = 0;
    m_upper1 = m_upper2 = -1;
}

} // namespace csv
