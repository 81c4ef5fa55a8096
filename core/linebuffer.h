#pragma once

#include "textview.h"

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kn {

// A line that a writer assembles field by field and hands to the export file. Its appends are
// inline copies into storage kept from one line to the next; a QString makes a call, with its
// checks for shared data and for room, for each of the dozen small pieces of a line.
class LineBuffer {
public:
    qsizetype size() const noexcept { return size_; }
    bool isEmpty() const noexcept { return size_ == 0; }
    const char16_t* data() const noexcept { return units_.data(); }
    char16_t* data() noexcept { return units_.data(); }
    QChar* begin() noexcept { return reinterpret_cast<QChar*>(units_.data()); }
    QChar* end() noexcept { return begin() + size_; }
    QStringView view() const noexcept { return QStringView(units_.data(), size_); }
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
            std::fill(units_.data() + size_, units_.data() + size, fill.unicode());
        size_ = size;
    }
    void truncate(qsizetype size) noexcept { size_ = std::clamp<qsizetype>(size, 0, size_); }
    // Room for `count` more characters at the end, to be written through the pointer.
    char16_t* grow(qsizetype count)
    {
        roomFor(size_ + count);
        char16_t* const at = units_.data() + size_;
        size_ += count;
        return at;
    }

    LineBuffer& operator+=(QChar c)
    {
        *grow(1) = c.unicode();
        return *this;
    }
    LineBuffer& operator+=(char16_t c) { return *this += QChar(c); }
    LineBuffer& operator+=(QStringView text)
    {
        std::copy_n(text.utf16(), text.size(), grow(text.size()));
        return *this;
    }
    LineBuffer& operator+=(QLatin1String text)
    {
        std::transform(text.begin(), text.end(), grow(text.size()), [](char c) { return char16_t(uchar(c)); });
        return *this;
    }
    LineBuffer& operator+=(const QString& text) { return *this += QStringView(text); }
    LineBuffer& operator+=(TextView text)
    {
        text.visit([this](auto view) { *this += view; });
        return *this;
    }
    template <std::size_t N>
    LineBuffer& operator+=(const char16_t (&literal)[N])
    {
        return *this += QStringView(literal);
    }

private:
    void roomFor(qsizetype size)
    {
        if (std::size_t(size) > units_.size()) [[unlikely]]
            units_.resize(std::max(std::size_t(size), 2 * units_.size() + 256));
    }

    std::vector<char16_t> units_;
    qsizetype size_ = 0;
};

} // namespace kn
