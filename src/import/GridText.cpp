#include "GridText.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

static_assert(sizeof(TGridText) == 24, "a cell takes the room of a pointer triple");

TGridText::TGridText(QStringView text)
{
    m_units[kLengthAt] = 0;
    char16_t *units = reserve(text.size());
    if (!text.isEmpty())
        std::memcpy(units, text.utf16(), size_t(text.size()) * sizeof(char16_t));
}

TGridText TGridText::fromLatin1(QByteArrayView text)
{
    TGridText result;
    char16_t *units = result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        units[i] = char16_t(uchar(text[i]));
    return result;
}

TGridText::TGridText(TGridText &&other) noexcept
{
    std::memcpy(m_units, other.m_units, sizeof(m_units));
    other.m_units[kLengthAt] = 0;
}

TGridText &TGridText::operator=(const TGridText &other)
{
    if (this != &other)
        *this = TGridText(other);
    return *this;
}

TGridText &TGridText::operator=(TGridText &&other) noexcept
{
    if (this != &other) {
        release();
        std::memcpy(m_units, other.m_units, sizeof(m_units));
        other.m_units[kLengthAt] = 0;
    }
    return *this;
}

TGridText::Block *TGridText::block() const noexcept
{
    Block *stored = nullptr;
    std::memcpy(&stored, m_units, sizeof(stored));
    return stored;
}

QStringView TGridText::view() const noexcept
{
    if (onHeap()) {
        const Block *stored = block();
        return QStringView(stored->units, stored->size);
    }
    return QStringView(m_units, qsizetype(m_units[kLengthAt]));
}

char16_t *TGridText::reserve(qsizetype size)
{
    release();
    if (size <= kInPlace) {
        m_units[kLengthAt] = char16_t(size);
        return m_units;
    }
    auto *stored = static_cast<Block *>(std::malloc(offsetof(Block, units) + size_t(size) * sizeof(char16_t)));
    if (!stored)
        throw std::bad_alloc();
    stored->size = size;
    std::memcpy(m_units, &stored, sizeof(stored));
    m_units[kLengthAt] = kOnHeap;
    return stored->units;
}

void TGridText::release() noexcept
{
    if (onHeap())
        std::free(block());
    m_units[kLengthAt] = 0;
}
