#pragma once

// Splits a fuzzer's bytes into the choices a target makes and the text it feeds on.

#include "core/codepage.h"
#include "core/regional.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kn::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // One byte as a choice among `count`; 0 once the bytes run out.
    std::size_t choose(std::size_t count)
    {
        if (size_ == 0 || count == 0)
            return 0;
        --size_;
        return *data_++ % count;
    }
    // The bytes up to the next 0xFF (or the end), so one input holds several texts.
    QByteArray take()
    {
        std::size_t length = 0;
        while (length < size_ && data_[length] != 0xFF)
            ++length;
        QByteArray taken(reinterpret_cast<const char*>(data_), qsizetype(length));
        const std::size_t used = length < size_ ? length + 1 : length;
        data_ += used;
        size_ -= used;
        return taken;
    }
    QString takeText() { return QString::fromLatin1(take()); }
    QByteArray rest() const { return QByteArray(reinterpret_cast<const char*>(data_), qsizetype(size_)); }

private:
    const uint8_t* data_;
    std::size_t size_;
};

inline const char* const kLocales[] = {"en_US", "en_CA", "fr_CA", "fr_FR", "de_DE", "ja_JP", "ar_EG", "hi_IN", "C"};
inline const char* const kCodePages[] = {"windows-1252", "ibm-437", "ibm-850", "ISO-8859-15", "windows-1250", "us-ascii"};

// The settings of each choice, made once: making a region or a code page costs more than a run.
inline const RegionalSettings& chooseRegion(FuzzInput& input)
{
    static const auto regions = [] {
        std::vector<RegionalSettings> made;
        for (const char* name : kLocales)
            made.push_back(RegionalSettings::named(QString::fromLatin1(name)));
        return made;
    }();
    return regions[input.choose(regions.size())];
}

inline const CodePage& chooseCodePage(FuzzInput& input)
{
    static const auto pages = [] {
        std::vector<CodePage> made;
        for (const char* name : kCodePages)
            made.emplace_back(QString::fromLatin1(name));
        return made;
    }();
    return pages[input.choose(pages.size())];
}

} // namespace kn::fuzz
