#pragma once

#include <QStringView>

#include <cstddef>
#include <string_view>

namespace kn {

class CodePage;

// A payment line holding a control character (NUL, ESC, DEL...) is refused with Type mismatch
// (13), the detail naming the field and column: copied on, such a byte would end or split a
// record in the package that reads the import file, and a blank in its place would change the
// payment unseen. A TAB is text the payment service may put in a name, and is kept.
void refuseControlCharacters(QStringView line);

// True when the bytes, read in the code page, are printable Latin-1 characters of the same
// values: printable ASCII, or in a page whose bytes from 0xA0 read as Latin-1, those bytes too.
// Such a line can be cut into fields as it stands, with no decoding and no control character.
bool readsAsPrintableLatin1(std::string_view bytes, const CodePage& codePage);

// Where the line at the start of the bytes ends, and whether it reads as printable Latin-1 as
// readsAsPrintableLatin1 tells, both found in one pass over the line.
struct LineScan {
    // The first CR or LF, or the size of the bytes when there is none.
    std::size_t end = 0;
    bool printableLatin1 = false;
};
LineScan scanLine(std::string_view bytes, const CodePage& codePage);

} // namespace kn
