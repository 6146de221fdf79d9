#include "MetafileRecorder.h"

#include <cstring>

namespace chart::metafile {

void LittleEndianWriter::f32(float v)
{
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void LittleEndianWriter::patchU32(qsizetype offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_bytes[offset + i] = char(uint8_t(v >> (8 * i)));
}

void LittleEndianWriter::patchU16(qsizetype offset, uint16_t v)
{
    m_bytes[offset] = char(uint8_t(v));
    m_bytes[offset + 1] = char(uint8_t(v >> 8));
}

} // namespace chart::metafile
