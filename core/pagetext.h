#pragma once

#include "codepage.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace kn {

// A text as the code page's bytes. Where the page lacks one of its characters the bytes hold the
// closest ones and `meant` holds the text itself; `meant` is empty when the bytes are the text. A
// record's text has one UTF-16 unit for each byte, so that a cut or a split falls at the same place
// in both; only such a text is cut (a piece of a Line is appended or compared whole).
struct PageText {
    std::string_view bytes;
    QStringView meant;

    std::size_t size() const { return bytes.size(); }
    bool empty() const { return bytes.empty(); }
    std::size_t find(char c) const { return bytes.find(c); }
    PageText sliced(std::size_t at, std::size_t count = std::string_view::npos) const
    {
        at = std::min(at, size());
        count = std::min(count, size() - at);
        return {bytes.substr(at, count), meant.isEmpty() ? meant : meant.sliced(qsizetype(at), qsizetype(count))};
    }
    PageText first(std::size_t count) const { return sliced(0, count); }
    // Without the blanks at either end (tabs and other white space stay).
    PageText trimmed() const
    {
        const std::size_t start = bytes.find_first_not_of(' ');
        if (start == std::string_view::npos)
            return sliced(0, 0);
        return sliced(start, bytes.find_last_not_of(' ') + 1 - start);
    }
};

// A text the writer writes into many lines (a region's separator or month name, a setting, the
// currency code), encoded once; `text` is what it says.
struct EncodedText {
    EncodedText() = default;
    // Without a page, only `text` is kept: what formats to a QString needs no bytes.
    EncodedText(QString text, const CodePage* codePage) : text(std::move(text))
    {
        if (codePage != nullptr)
            exact = codePage->encodeAppend(this->text, bytes);
    }
    QString text;
    std::string bytes;
    bool exact = true;
};

// A line a writer assembles as the code page's bytes, its storage kept from one line to the next.
// From the first text the page cannot hold on, the line as meant is kept beside the bytes, for the
// audit. Positions in the line are Marks, which stand for both.
class Line {
public:
    explicit Line(const CodePage& codePage) : codePage_(&codePage) {}

    struct Mark {
        std::size_t byte = 0;
        qsizetype unit = 0;
    };

    void clear()
    {
        bytes_.clear();
        meant_.reset();
    }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    // The line as meant, when the page lacks one of the characters it was given.
    const std::optional<QString>& meant() const { return meant_; }
    Mark end() const { return {bytes_.size(), meant_ ? meant_->size() : qsizetype(bytes_.size())}; }
    // What the line holds from the mark on.
    PageText since(Mark mark) const
    {
        return {std::string_view(bytes_).substr(mark.byte), meant_ ? QStringView(*meant_).sliced(mark.unit) : QStringView()};
    }
    // The line from the mark on as the text it stands for.
    QString textSince(Mark mark) const
    {
        return meant_ ? meant_->sliced(mark.unit) : codePage_->decode(std::string_view(bytes_).substr(mark.byte));
    }

    // ASCII, or bytes the page read.
    Line& operator+=(char byte)
    {
        bytes_ += byte;
        if (meant_) [[unlikely]]
            mirror(std::string_view(&byte, 1));
        return *this;
    }
    Line& operator+=(std::string_view bytes)
    {
        bytes_ += bytes;
        if (meant_) [[unlikely]]
            mirror(bytes);
        return *this;
    }
    Line& operator+=(PageText text)
    {
        if (text.meant.isEmpty()) [[likely]]
            return *this += text.bytes;
        appendInexact(text.bytes, text.meant);
        return *this;
    }
    Line& operator+=(const EncodedText& text)
    {
        if (text.exact) [[likely]]
            return *this += std::string_view(text.bytes);
        appendInexact(text.bytes, text.text);
        return *this;
    }
    // Appends `count` ASCII `byte`s.
    void append(std::size_t count, char byte)
    {
        bytes_.append(count, byte);
        if (meant_) [[unlikely]]
            meant_->append(QString(qsizetype(count), QLatin1Char(byte)));
    }
    // Fills with `byte`, or cuts, so that what follows the mark is `width` bytes.
    void fit(Mark mark, std::size_t width, char byte)
    {
        const std::size_t now = bytes_.size() - mark.byte;
        if (now < width)
            return append(width - now, byte);
        bytes_.resize(mark.byte + width);
        if (meant_) [[unlikely]]
            meant_->truncate(mark.unit + qsizetype(width));
    }
    // Every ASCII `was` after the mark becomes `now`, or goes when `now` is 0.
    void replace(Mark mark, char was, char now)
    {
        const auto from = bytes_.begin() + std::ptrdiff_t(mark.byte);
        if (now != 0)
            std::replace(from, bytes_.end(), was, now);
        else
            bytes_.erase(std::remove(from, bytes_.end(), was), bytes_.end());
        if (!meant_) [[likely]]
            return;
        QString rest = meant_->sliced(mark.unit);
        if (now != 0)
            rest.replace(QLatin1Char(was), QLatin1Char(now));
        else
            rest.remove(QLatin1Char(was));
        meant_->truncate(mark.unit);
        *meant_ += rest;
    }
    // Every `was` becomes `now`: both are ASCII.
    void replaceAll(std::string_view was, std::string_view now)
    {
        for (std::size_t at = 0; (at = bytes_.find(was, at)) != std::string::npos; at += now.size())
            bytes_.replace(at, was.size(), now);
        if (meant_) [[unlikely]]
            meant_->replace(QLatin1String(was.data(), qsizetype(was.size())), QLatin1String(now.data(), qsizetype(now.size())));
    }
    // Puts `count` ASCII `byte`s in front of the line.
    void insertFront(std::size_t count, char byte)
    {
        bytes_.insert(0, count, byte);
        if (meant_) [[unlikely]]
            meant_->prepend(QString(qsizetype(count), QLatin1Char(byte)));
    }
    // Appends again what the line holds from the mark on.
    void repeat(Mark mark)
    {
        bytes_.append(bytes_, mark.byte);
        if (meant_) [[unlikely]]
            meant_->append(meant_->sliced(mark.unit));
    }
    // Puts the ASCII `byte` `offset` bytes after the mark, where the line reaches that far.
    void put(Mark mark, std::size_t offset, char byte)
    {
        if (mark.byte + offset < bytes_.size())
            bytes_[mark.byte + offset] = byte;
        if (meant_ && mark.unit + qsizetype(offset) < meant_->size()) [[unlikely]]
            (*meant_)[mark.unit + qsizetype(offset)] = QLatin1Char(byte);
    }

private:
    // The rare ways, kept out of the writers' loops.
    void mirror(std::string_view bytes);
    void appendInexact(std::string_view bytes, QStringView meant);

    const CodePage* codePage_;
    std::string bytes_;
    std::optional<QString> meant_;
};

} // namespace kn
