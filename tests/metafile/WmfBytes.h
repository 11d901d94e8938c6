#pragma once

// Builds metafile bytes record by record, so tests can feed the player files
// shaped as other programs write them, including broken ones.

#include <QByteArray>
#include <QColor>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace testing_wmf {

class WmfBytes {
public:
    /// Starts a file; `placeable` adds the Aldus header with the given bounds.
    explicit WmfBytes(bool placeable = false, std::int16_t right = 1000, std::int16_t bottom = 1000,
                      std::uint16_t inch = 1440)
    {
        if (placeable) {
            dword(0x9AC6CDD7u);
            word(0);
            for (std::int16_t v : {std::int16_t(0), std::int16_t(0), right, bottom})
                word(std::uint16_t(v));
            word(inch);
            dword(0);
            word(0); // checksum, not checked by readers
        }
        m_header = m_data.size();
        for (std::uint16_t v : {1, 9, 0x0300, 0, 0, 16, 0, 0, 0})
            word(v);
    }

    /// Appends a record with these parameter words.
    WmfBytes& record(std::uint16_t function, std::initializer_list<int> params)
    {
        return record(function, std::vector<int>(params));
    }
    WmfBytes& record(std::uint16_t function, const std::vector<int>& params)
    {
        dword(std::uint32_t(3 + params.size()));
        word(function);
        for (int p : params)
            word(std::uint16_t(p));
        return *this;
    }
    /// Appends raw bytes (for records with a lying size field).
    WmfBytes& raw(const QByteArray& bytes)
    {
        m_data.append(bytes);
        return *this;
    }

    static std::vector<int> colour(const QColor& c)
    {
        return {c.red() | (c.green() << 8), c.blue()};
    }

    QByteArray finish()
    {
        record(0x0000, {});
        return m_data;
    }
    QByteArray withoutEof() const { return m_data; }

    void word(std::uint16_t v)
    {
        m_data.append(char(v & 0xFF));
        m_data.append(char(v >> 8));
    }
    void dword(std::uint32_t v)
    {
        word(std::uint16_t(v & 0xFFFF));
        word(std::uint16_t(v >> 16));
    }

private:
    QByteArray m_data;
    qsizetype m_header = 0;
};

} // namespace testing_wmf
