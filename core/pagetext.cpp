#include "pagetext.h"

namespace kn {

void Line::mirror(std::string_view bytes)
{
    *meant_ += codePage_->decode(bytes);
}

void Line::appendInexact(std::string_view bytes, QStringView meant)
{
    if (!meant_)
        meant_ = codePage_->decode(bytes_);
    bytes_ += bytes;
    *meant_ += meant;
}

} // namespace kn
