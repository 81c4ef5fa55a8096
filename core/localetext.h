#pragma once

#include <string>

namespace kn {

class CodePage;

// The bytes closest to a character the code page lacks, for texts the locale makes (separators,
// currency signs, day and month names): a space of any width becomes the no-break space where the
// page has one, else a blank; otherwise ICU's compatibility form (U+FFE5 to U+00A5), then the
// form without its accents, then the converter's own fallback; "?" when nothing is close.
std::string closestInCodePage(char32_t character, const CodePage& codePage);

} // namespace kn
