#pragma once

#include "textview.h"

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <string>

namespace kn {

// A line that a writer assembles field by field and hands to the export file, its storage kept
// from one line to the next.
class LineBuffer {
public:
    qsizetype size() const noexcept { return qsizetype(units_.size()); }
    bool isEmpty() const noexcept { return units_.empty(); }
    const char16_t* data() const noexcept { return units_.data(); }
    char16_t* data() noexcept { return units_.data(); }
    QChar* begin() noexcept { return reinterpret_cast<QChar*>(units_.data()); }
    QChar* end() noexcept { return begin() + size(); }
    QStringView view() const noexcept { return QStringView(units_.data(), size()); }
    operator QStringView() const noexcept { return view(); }

    void resize(qsizetype size) { units_.resize(std::size_t(size)); }
    void resize(qsizetype size, QChar fill) { units_.resize(std::size_t(size), fill.unicode()); }
    void truncate(qsizetype size) { units_.resize(std::size_t(std::clamp<qsizetype>(size, 0, this->size()))); }
    // Room for `count` more characters at the end, to be written through the pointer.
    char16_t* grow(qsizetype count)
    {
        const std::size_t at = units_.size();
        units_.resize(at + std::size_t(count));
        return units_.data() + at;
    }

    LineBuffer& operator+=(QChar c)
    {
        units_ += c.unicode();
        return *this;
    }
    LineBuffer& operator+=(char16_t c) { return *this += QChar(c); }
    LineBuffer& operator+=(QStringView text)
    {
        units_.append(text.utf16(), std::size_t(text.size()));
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
        units_.append(literal, N - 1);
        return *this;
    }

private:
    std::u16string units_;
};

} // namespace kn
