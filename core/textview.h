#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstring>

namespace kn {

// A view of a text kept either as Latin-1 bytes or as UTF-16: a record keeps its texts as
// Latin-1 when every character fits, which halves what a large import holds. It reads like a
// QStringView, and like one it is valid only while the text it views lives.
class TextView {
public:
    constexpr TextView() noexcept = default;
    // Implicit, as the views it stands for: a QString goes through QStringView explicitly.
    TextView(QStringView text) noexcept : TextView(text.utf16(), text.size(), true) {}
    constexpr TextView(QLatin1String text) noexcept : TextView(text.data(), text.size(), false) {}
    template <std::size_t N>
    TextView(const char16_t (&literal)[N]) noexcept : TextView(QStringView(literal))
    {
    }

    // Calls `f` with the text as a QLatin1String or a QStringView.
    template <typename F>
    decltype(auto) visit(F&& f) const
    {
        return wide() ? f(utf16()) : f(latin1());
    }

    constexpr qsizetype size() const noexcept { return sizeAndWidth_ >> 1; }
    constexpr bool isEmpty() const noexcept { return size() == 0; }
    constexpr bool isLatin1() const noexcept { return !wide(); }
    // The text as what it is: latin1() for a Latin-1 text, utf16() for the other.
    QLatin1String latin1() const noexcept { return QLatin1String(static_cast<const char*>(data_), size()); }
    QStringView utf16() const noexcept { return QStringView(static_cast<const char16_t*>(data_), size()); }

    QChar operator[](qsizetype i) const noexcept
    {
        return wide() ? QChar(utf16()[i]) : QChar(QLatin1Char(latin1()[i]));
    }
    TextView sliced(qsizetype position, qsizetype count) const noexcept
    {
        return TextView(wide() ? static_cast<const void*>(static_cast<const char16_t*>(data_) + position)
                              : static_cast<const void*>(static_cast<const char*>(data_) + position),
                        count, wide());
    }
    TextView sliced(qsizetype position) const noexcept { return sliced(position, size() - position); }
    TextView first(qsizetype count) const noexcept { return sliced(0, count); }
    // A Latin-1 text is searched bytewise: QLatin1String's own search for one character goes
    // through its general substring search, many times slower on the writers' account fields.
    qsizetype indexOf(QChar c) const noexcept
    {
        if (wide())
            return utf16().indexOf(c);
        const void* found = c.unicode() < 0x100 ? std::memchr(data_, c.unicode(), std::size_t(size())) : nullptr;
        return found ? static_cast<const char*>(found) - static_cast<const char*>(data_) : -1;
    }
    QString toString() const { return visit([](auto text) { return text.toString(); }); }

    friend QString& operator+=(QString& out, TextView text)
    {
        text.visit([&out](auto view) { out.append(view); });
        return out;
    }
    // A text cut to a width is compared with the whole text for every record: when nothing was
    // cut, both are the same characters, and equal without reading them.
    friend bool operator==(TextView a, TextView b) noexcept
    {
        if (a.size() != b.size())
            return false;
        if (a.data_ == b.data_ && a.wide() == b.wide())
            return true;
        return a.visit([b](auto x) { return b.visit([x](auto y) { return x == y; }); });
    }

private:
    constexpr TextView(const void* data, qsizetype size, bool wide) noexcept
        : data_(data), sizeAndWidth_(size << 1 | qsizetype(wide))
    {
    }
    constexpr bool wide() const noexcept { return (sizeAndWidth_ & 1) != 0; }

    const void* data_ = "";
    // The size and, in its lowest bit, whether the text is UTF-16: sixteen bytes in all, which
    // a call takes in two registers rather than through memory.
    qsizetype sizeAndWidth_ = 0;
};
static_assert(sizeof(TextView) == 16);

} // namespace kn
