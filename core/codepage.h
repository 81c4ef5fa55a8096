#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <memory>
#include <optional>
#include <vector>

namespace kn {

// An 8-bit code page through ICU's converters ("windows-1252" unless the user chooses another).
// Text is decoded and encoded through tables built once from the converter, so a large file is
// not converted byte by byte through ICU; a character the code page cannot hold becomes its
// closest form (closestInCodePage), "?" when it has none.
class CodePage {
public:
    // Fails with Invalid procedure call (5) for a name ICU does not know, a code page that is not
    // single-byte, or one that does not read printable ASCII as itself (EBCDIC and the like): the
    // payment file's digits, signs, blanks and separators are read as ASCII bytes.
    explicit CodePage(const QString& name = QStringLiteral("windows-1252"));

    const QString& name() const { return name_; }
    // The character the byte reads as (U+FFFD for a byte the page leaves undefined).
    char16_t decodeByte(char byte) const { return toUnicode_[std::uint8_t(byte)]; }
    // True when the byte reads as the Latin-1 character of its own value.
    bool readsAsLatin1(char byte) const { return toUnicode_[std::uint8_t(byte)] == char16_t(std::uint8_t(byte)); }

    // True when the byte reads as a control character other than TAB (NUL, ESC, DEL...).
    bool readsAsControl(char byte) const { return controls_[std::uint8_t(byte)]; }
    // True when every byte reads as the Latin-1 character of its own value.
    bool readsAsLatin1(std::string_view bytes) const;
    // True when one of the bytes reads as such a control character.
    bool holdsControl(std::string_view bytes) const;

    QString decode(std::string_view bytes) const;
    // Decodes into `text`, reusing its storage.
    void decode(std::string_view bytes, QString& text) const;
    // True when the code page holds every character of the text, so that it reads back unchanged.
    bool encodeAppend(QStringView text, std::string& out) const;
    // The same, one byte for each UTF-16 unit: a character the page lacks is its closest form when
    // that is one byte and not ASCII punctuation or a blank, "?" otherwise, so that a place in the
    // bytes is the same place in the text and no separator appears that the text did not hold.
    bool encodeEachUnit(QStringView text, std::string& out) const;
    QByteArray encode(QStringView text) const;
    // The page's byte for the code unit, nothing when the page lacks it.
    std::optional<char> byteFor(char16_t unit) const;

private:
    QString name_;
    std::array<char16_t, 256> toUnicode_{};
    std::array<bool, 256> controls_{};
    // The control characters are the ASCII ones, read from their own bytes.
    bool asciiControls_ = false;
    // Bytes below 0x80 read as themselves, as they do in nearly every 8-bit code page.
    bool asciiReadsAsItself_ = false;
    bool latin1ReadsAsItself_ = false;
    // One byte per UTF-16 code unit; 0 stands for "not in the code page" except for U+0000.
    std::shared_ptr<const std::vector<unsigned char>> fromUnicode_;
};

} // namespace kn
