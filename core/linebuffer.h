#pragma once

#include "growstorage.h"
#include "textview.h"

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kn {

// A line that a writer assembles field by field and hands to the export file. Its appends are
// inline copies into storage kept from one line to the next; a QString makes a call, with its
// checks for shared data and for room, for each of the dozen small pieces of a line.
class LineBuffer {
public:
    LineBuffer() = default;
    // A buffer moved from is empty and without storage, ready to grow again.
    LineBuffer(LineBuffer&& other) noexcept
        : units_(std::move(other.units_)), capacity_(std::exchange(other.capacity_, 0)),
          size_(std::exchange(other.size_, 0))
    {
    }
    LineBuffer& operator=(LineBuffer&& other) noexcept
    {
        units_ = std::move(other.units_);
        capacity_ = std::exchange(other.capacity_, 0);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    qsizetype size() const noexcept { return size_; }
    bool isEmpty() const noexcept { return size_ == 0; }
    const char16_t* data() const noexcept { return units_.get(); }
    char16_t* data() noexcept { return units_.get(); }
    QChar* begin() noexcept { return reinterpret_cast<QChar*>(units_.get()); }
    QChar* end() noexcept { return begin() + size_; }
    QStringView view() const noexcept { return QStringView(units_.get(), size_); }
    operator QStringView() const noexcept { return view(); }

    // Characters past the old size are left as they happen to be: the caller writes them.
    void resize(qsizetype size)
    {
        roomFor(size);
        size_ = size;
    }
    void resize(qsizetype size, QChar fill)
    {
        roomFor(size);
        if (size > size_)
            std::fill(units_.get() + size_, units_.get() + size, fill.unicode());
        size_ = size;
    }
    void truncate(qsizetype size) noexcept { size_ = std::clamp<qsizetype>(size, 0, size_); }
    // Room for `count` more characters at the end, to be written through the pointer.
    char16_t* grow(qsizetype count)
    {
        roomFor(size_ + count);
        char16_t* const at = units_.get() + size_;
        size_ += count;
        return at;
    }

    LineBuffer& operator+=(QChar c)
    {
        *grow(1) = c.unicode();
        return *this;
    }
    LineBuffer& operator+=(char16_t c) { return *this += QChar(c); }
    // Most pieces are a few characters: copied several at a time in place, not through a call,
    // the last few overlapping the ones before rather than going one by one.
    LineBuffer& operator+=(QStringView text)
    {
        const qsizetype size = text.size();
        const char16_t* from = text.utf16();
        char16_t* to = grow(size);
        if (size > 32) {
            std::memcpy(to, from, std::size_t(size) * sizeof(char16_t));
        } else if (size >= 4) {
            for (qsizetype i = 0; i + 4 < size; i += 4)
                std::memcpy(to + i, from + i, 4 * sizeof(char16_t));
            std::memcpy(to + size - 4, from + size - 4, 4 * sizeof(char16_t));
        } else {
            for (qsizetype i = 0; i < size; ++i)
                to[i] = from[i];
        }
        return *this;
    }
    LineBuffer& operator+=(QLatin1String text)
    {
        const qsizetype size = text.size();
        const char* from = text.data();
        char16_t* to = grow(size);
#ifdef __SSE2__
        if (size >= 8) {
            const auto eightAt = [from, to](qsizetype i) {
                const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + i));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
            };
            for (qsizetype i = 0; i + 8 < size; i += 8)
                eightAt(i);
            eightAt(size - 8);
            return *this;
        }
#endif
        for (qsizetype i = 0; i < size; ++i)
            to[i] = char16_t(uchar(from[i]));
        return *this;
    }
    LineBuffer& operator+=(const QString& text) { return *this += QStringView(text); }
    LineBuffer& operator+=(TextView text)
    {
        text.visit([this](auto view) { *this += view; });
        return *this;
    }
    // A string literal, whose size is known here, so its copy compiles to a few moves; every
    // character but the terminating NUL is copied.
    template <std::size_t N>
    LineBuffer& operator+=(const char16_t (&literal)[N])
    {
        constexpr qsizetype size = qsizetype(N) - 1;
        std::copy_n(literal, size, grow(size));
        return *this;
    }

private:
    // The capacity is a member of its own, so the check before each piece is one comparison.
    void roomFor(qsizetype size)
    {
        if (size > capacity_) [[unlikely]]
            capacity_ = qsizetype(growStorage(units_, std::size_t(capacity_), std::size_t(std::max<qsizetype>(size, 256)),
                                              0, std::size_t(size_)));
    }

    std::unique_ptr<char16_t[]> units_;
    qsizetype capacity_ = 0;
    qsizetype size_ = 0;
};

} // namespace kn
