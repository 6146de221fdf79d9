#pragma once
// The text of one cell of the import grid, in the room of one pointer triple: up to 11 UTF-16
// code units are held in place, a longer text in a block of its own. The cells of a read file
// are mostly short numbers and names, so that a grid of millions of them takes no allocation
// per cell and about a third of the memory that a string per cell takes.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

class TGridText
{
public:
    TGridText() noexcept { m_units[kLengthAt] = 0; }
    explicit TGridText(QStringView text);
    /// The Latin-1 bytes `text`, one code unit per byte.
    static TGridText fromLatin1(QByteArrayView text);

    TGridText(const TGridText &other) : TGridText(other.view()) {}
    TGridText(TGridText &&other) noexcept;
    TGridText &operator=(const TGridText &other);
    TGridText &operator=(TGridText &&other) noexcept;
    ~TGridText() { release(); }

    bool isEmpty() const noexcept { return m_units[kLengthAt] == 0; }
    /// Valid until the text is changed or destroyed.
    QStringView view() const noexcept;
    QString toString() const { return view().toString(); }

private:
    static constexpr int kInPlace = 11;
    static constexpr int kLengthAt = kInPlace; // the last unit: the length in place, or kOnHeap
    static constexpr char16_t kOnHeap = 0xFFFF;
    struct Block
    {
        qsizetype size;
        char16_t units[1]; // as many as size
    };

    bool onHeap() const noexcept { return m_units[kLengthAt] == kOnHeap; }
    Block *block() const noexcept;
    /// Room for `size` units, in place or in a new block; the length is set.
    char16_t *reserve(qsizetype size);
    void release() noexcept;

    alignas(Block *) char16_t m_units[kInPlace + 1];
};
