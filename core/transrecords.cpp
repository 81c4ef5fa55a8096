#include "transrecords.h"

#include <algorithm>
#include <cstring>
#include <cstddef>
#include <functional>
#include <new>
#include <numeric>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace kn {

namespace {
// The place of a character of the text in memory, for telling whether one text lies inside another.
const char* address(TextView text, qsizetype i)
{
    return text.isLatin1() ? text.latin1().data() + i : reinterpret_cast<const char*>(text.utf16().data() + i);
}

// Whether the text lies within the other in memory, both of one width.
bool liesInside(TextView inner, TextView outer)
{
    const std::less<const char*> before;
    return !outer.isEmpty() && inner.isLatin1() == outer.isLatin1() && !before(address(inner, 0), address(outer, 0)) &&
           !before(address(outer, outer.size()), address(inner, inner.size()));
}

bool needsUtf16(TextView text)
{
    if (text.isLatin1())
        return false;
    const QStringView units = text.utf16();
    return std::any_of(units.begin(), units.end(), [](QChar c) { return c.unicode() > 0xFF; });
}

constexpr auto LedgerText = std::size_t(RecordText::GLAccount_Full);

bool isLedgerPart(std::size_t i)
{
    return i == std::size_t(RecordText::GLAccount) || i == std::size_t(RecordText::GLDetails);
}

// How many characters into the ledger text a part that lies inside it starts.
std::uint32_t charactersInto(TextView part, TextView ledger)
{
    const auto bytes = std::uint32_t(address(part, 0) - address(ledger, 0));
    return part.isLatin1() ? bytes : bytes / 2;
}

// Whether a record of these texts keeps them in two bytes a character, and how many characters
// they have in all; a text longer than a record can hold fails with Overflow.
struct TextsMeasure {
    bool wide = false;
    std::size_t characters = 0;

    explicit TextsMeasure(const RecordTextViews& texts)
    {
        for (const TextView& text : texts) {
            if (text.size() > 0xFFFF)
                throw KNError(ErrorCode::Overflow);
            wide = wide || needsUtf16(text);
            characters += std::size_t(text.size());
        }
    }
};

// Writes the text in one byte or two per character; a text written in one byte fits in Latin-1.
void copyText(TextView text, bool wide, char* out)
{
    const qsizetype size = text.size();
    if (wide) {
        auto* units = reinterpret_cast<char16_t*>(out);
        if (text.isLatin1())
            std::transform(text.latin1().begin(), text.latin1().end(), units, [](char c) { return char16_t(uchar(c)); });
        else
            std::copy_n(text.utf16().utf16(), size, units);
    } else if (text.isLatin1()) {
        std::memcpy(out, text.latin1().data(), std::size_t(size));
    } else {
        const char16_t* units = text.utf16().utf16();
        for (qsizetype i = 0; i < size; ++i)
            out[i] = char(units[i]);
    }
}
} // namespace

// Where each text goes in a record's own buffer, in bytes. The ledger account and its details,
// when they lie inside the full ledger text as the import cuts them, take no room of their own;
// any other text gets its own copy, which reads the same.
struct TransRecord::Layout {
    std::array<std::uint32_t, RecordTextCount> start{};
    std::array<std::uint16_t, RecordTextCount> size{};
    std::array<bool, RecordTextCount> insideLedger{};
    std::size_t total = 0;
    bool wide = false;

    explicit Layout(const RecordTextViews& texts) : wide(TextsMeasure(texts).wide)
    {
        const std::size_t unit = wide ? 2 : 1;
        for (std::size_t i = 0; i < RecordTextCount; ++i) {
            size[i] = std::uint16_t(texts[i].size());
            insideLedger[i] = isLedgerPart(i) && size[i] > 0 && liesInside(texts[i], texts[LedgerText]);
            if (size[i] > 0 && !insideLedger[i]) {
                start[i] = std::uint32_t(total);
                total += std::size_t(size[i]) * unit;
            }
        }
    }

    // Gives each ledger part its place within the full ledger text, once that one has its own.
    void placeInner(const RecordTextViews& texts)
    {
        for (std::size_t i = 0; i < RecordTextCount; ++i) {
            if (insideLedger[i])
                start[i] = start[LedgerText] + charactersInto(texts[i], texts[LedgerText]) * (wide ? 2 : 1);
        }
    }

    void copy(const RecordTextViews& texts, char* out) const
    {
        for (std::size_t i = 0; i < RecordTextCount; ++i) {
            if (!insideLedger[i])
                copyText(texts[i], wide, out + start[i]);
        }
    }
};

TransRecord::TransRecord(const RecordTextViews& texts, Money amount, CalDate transDate)
    : Amount(amount), TransDate(transDate)
{
    adopt(texts);
}

TransRecord::TransRecord(const TransRecord& other)
    : Amount(other.Amount), TransDate(other.TransDate), PaymentFileLine(other.PaymentFileLine)
{
    RecordTextViews texts;
    for (std::size_t i = 0; i < RecordTextCount; ++i)
        texts[i] = other.text(RecordText(i));
    adopt(texts);
}

TransRecord& TransRecord::operator=(const TransRecord& other)
{
    if (this != &other) {
        RecordTextViews texts;
        for (std::size_t i = 0; i < RecordTextCount; ++i)
            texts[i] = other.text(RecordText(i));
        adopt(texts);
        Amount = other.Amount;
        TransDate = other.TransDate;
        PaymentFileLine = other.PaymentFileLine;
    }
    return *this;
}

TransRecord::~TransRecord()
{
    release();
}

void TransRecord::setText(RecordText which, TextView value)
{
    RecordTextViews texts;
    for (std::size_t i = 0; i < RecordTextCount; ++i)
        texts[i] = text(RecordText(i));
    texts[std::size_t(which)] = value;
    adopt(texts);
}

// The texts are copied into a new buffer before the old one goes, as they may lie in it.
void TransRecord::adopt(const RecordTextViews& texts)
{
    Layout layout(texts);
    layout.placeInner(texts);
    char* buffer = nullptr;
    if (layout.total > 0) {
        // Allocated as UTF-16, so that wide texts stand aligned.
        buffer = reinterpret_cast<char*>(new char16_t[(layout.total + 1) / 2]);
        layout.copy(texts, buffer);
    }
    release();
    texts_ = buffer != nullptr ? buffer : "";
    ownsTexts_ = buffer != nullptr;
    wide_ = layout.wide;
    start_ = layout.start;
    size_ = layout.size;
}

void TransRecord::release()
{
    if (ownsTexts_)
        delete[] reinterpret_cast<const char16_t*>(texts_);
    texts_ = "";
    ownsTexts_ = false;
}

namespace {
// A block is filled from both ends and kept whole, so its memory is mapped with every page in
// place: one call into the kernel instead of a page fault for each 4 KiB as it fills.
class BlockMemory {
public:
    explicit BlockMemory(std::size_t size) : size_(size)
    {
#ifdef MAP_POPULATE
        void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        memory_ = static_cast<std::byte*>(mapped);
#else
        memory_ = new std::byte[size];
#endif
    }
    BlockMemory(const BlockMemory&) = delete;
    BlockMemory& operator=(const BlockMemory&) = delete;
    ~BlockMemory()
    {
#ifdef MAP_POPULATE
        ::munmap(memory_, size_);
#else
        delete[] memory_;
#endif
    }
    std::byte* get() const { return memory_; }

private:
    std::byte* memory_ = nullptr;
    std::size_t size_ = 0;
};
} // namespace

// A block's records stand at the start of its memory and their texts at its end, each growing
// towards the other, so records with short or long texts fill it alike.
struct TransRecordBlocks::Block {
    // About 20,000 payments a block: one allocation for all of them.
    static constexpr std::size_t Size = std::size_t(2) << 20;

    const BlockMemory storage{Size};
    std::byte* const memory = storage.get();
    std::size_t count = 0;
    // Where the texts stored so far begin, counted from the start of the memory.
    std::size_t textsStart = Size;

    Block() = default;
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block()
    {
        for (std::size_t i = 0; i < count; ++i)
            std::launder(reinterpret_cast<TransRecord*>(memory) + i)->~TransRecord();
    }

    char* texts() const { return reinterpret_cast<char*>(memory); }
    // Room for one more record and texts of this many bytes, one more for aligning wide ones.
    bool holds(std::size_t bytes) const { return (count + 1) * sizeof(TransRecord) + bytes + 1 <= textsStart; }
};

namespace {
constexpr std::size_t RecentTextSlots = 4096;

std::uint64_t loadWord(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint32_t loadHalfWord(const char* bytes)
{
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The text's last bytes, after its whole words, as one word: a text of eight bytes or more ends
// with a word that overlaps the one before, a shorter one is read in two overlapping halves or,
// under four bytes, as its first, middle and last byte. Fixed-size loads compile to single moves
// where a byte loop would make a multiplication per byte.
std::uint64_t tailWord(const char* bytes, std::size_t size)
{
    if (size >= 8)
        return loadWord(bytes + size - 8);
    if (size >= 4)
        return std::uint64_t(loadHalfWord(bytes)) << 32 | loadHalfWord(bytes + size - 4);
    if (size > 0)
        return std::uint64_t(uchar(bytes[0])) << 16 | std::uint64_t(uchar(bytes[size / 2])) << 8 | uchar(bytes[size - 1]);
    return 0;
}

// A hash of the whole text, eight bytes at a time, its size included: a slot's hash tells most
// different texts apart without reading the stored one, which may lie anywhere in the block.
std::uint64_t hashOf(const char* bytes, std::size_t size)
{
    std::uint64_t hash = 0x9E3779B97F4A7C15u ^ size;
    for (std::size_t i = 0; i + 8 < size; i += 8)
        hash = (hash ^ loadWord(bytes + i)) * 0xFF51AFD7ED558CCDu;
    hash = (hash ^ tailWord(bytes, size)) * 0xFF51AFD7ED558CCDu;
    return hash ^ (hash >> 29);
}

// The texts are short: compared in place, eight bytes at a time, rather than through a call.
bool sameBytes(const char* a, const char* b, std::size_t size)
{
    for (std::size_t i = 0; i + 8 < size; i += 8) {
        if (loadWord(a + i) != loadWord(b + i))
            return false;
    }
    return tailWord(a, size) == tailWord(b, size);
}
} // namespace

TransRecordBlocks::TransRecordBlocks() = default;
TransRecordBlocks::~TransRecordBlocks() = default;

// Marked inline so that make, its only caller, takes it in: a call would pass each text through
// memory.
inline std::uint32_t TransRecordBlocks::store(TextView text, bool wide)
{
    const char* bytes = address(text, 0);
    std::size_t size = std::size_t(text.size()) * (text.isLatin1() ? 1 : 2);
    if (text.isLatin1() == wide) {
        converted_.resize(std::size_t(text.size()) * (wide ? 2 : 1));
        copyText(text, wide, converted_.data());
        bytes = converted_.data();
        size = converted_.size();
    }
    // The width takes part in the hash: the same bytes read as Latin-1 and as UTF-16 differ.
    const std::uint64_t hash = hashOf(bytes, size) ^ std::uint64_t(wide);
    StoredText& slot = recent_[hash % RecentTextSlots];
    if (slot.hash == hash && slot.bytes == size && sameBytes(bytes, block_->texts() + slot.start, size))
        return slot.start;
    block_->textsStart -= size;
    if (wide)
        block_->textsStart &= ~std::size_t(1);
    const auto start = std::uint32_t(block_->textsStart);
    std::memcpy(block_->texts() + start, bytes, size);
    slot = {hash, start, std::uint32_t(size)};
    return start;
}

// The import's one pass over a record's texts: a ledger part inside the ledger text is placed
// within the ledger's stored copy, any other text is stored. The room asked of the block counts
// the ledger parts too, which costs a block a few bytes at its end rather than a second pass.
TransRecordPtr TransRecordBlocks::make(const RecordTextViews& texts, Money amount, CalDate transDate)
{
    const TextsMeasure measure(texts);
    const bool wide = measure.wide;
    if (!block_ || !block_->holds(wide ? 2 * measure.characters : measure.characters)) {
        block_ = std::make_shared<Block>();
        recent_.assign(RecentTextSlots, StoredText{});
    }
    Block& block = *block_;
    auto* record = new (block.memory + sizeof(TransRecord) * block.count) TransRecord();
    ++block.count;
    for (std::size_t i = 0; i < RecordTextCount; ++i) {
        const TextView& text = texts[i];
        if (text.isEmpty())
            continue;
        record->size_[i] = std::uint16_t(text.size());
        if (isLedgerPart(i) && liesInside(text, texts[LedgerText]))
            record->start_[i] = record->start_[LedgerText] + charactersInto(text, texts[LedgerText]) * (wide ? 2 : 1);
        else
            record->start_[i] = store(text, wide);
    }
    record->texts_ = block.texts();
    record->wide_ = wide;
    record->Amount = amount;
    record->TransDate = transDate;
    return TransRecordPtr(block_, record);
}

TransRecordPtr TransRecords::Add(CalDate TransDate, const QString& KaprinAccount, const QString& PaidTo,
                                 const QString& GLAccount, const QString& GLDetails, Money Amount,
                                 const QString& InvoiceNo, const QString& PaymentFor,
                                 const QString& GLAccount_Full, const QString& sKey)
{
    auto record = std::make_shared<TransRecord>(
        RecordTextViews{QStringView(KaprinAccount), QStringView(PaidTo), QStringView(GLAccount_Full),
                        QStringView(GLAccount), QStringView(GLDetails), QStringView(InvoiceNo), QStringView(PaymentFor)},
        Amount,
        TransDate);
    items_.add(record, sKey);
    return record;
}

void TransRecords::Append(TransRecordPtr record, const QString& sKey)
{
    items_.add(std::move(record), sKey);
}

TransRecordPtr TransRecords::FindAPBank(const QString& strField, CalDate dtDate, const QString& strValue,
                                        short MaxLength) const
{
    if (strField.toUpper() != QLatin1String("PAIDTO"))
        return nullptr;
    const QString wanted = strValue.toUpper();
    for (const auto& record : items_) {
        QString name = record->PaidTo().toUpper();
        if (MaxLength > 0)
            name.truncate(MaxLength);
        if (name == wanted && !record->Amount.isZero() && record->TransDate == dtDate)
            return record;
    }
    return nullptr;
}

void TransRecords::SortByDate()
{
    const int count = Count();
    if (count > 32767)
        throw KNError(ErrorCode::Overflow);

    std::vector<CalDate> dates;
    dates.reserve(std::size_t(count));
    for (const auto& record : items_)
        dates.push_back(record->TransDate);

    // The exchange sort is stable and only ever lifts a record over a neighbour with a strictly
    // later date; such a record is removed and inserted again, which drops its key. That happens
    // exactly to the records that have a later-dated record somewhere before them.
    std::vector<bool> moved(dates.size(), false);
    for (std::size_t i = 1, latest = 0; i < dates.size(); ++i) {
        if (dates[i] < dates[latest])
            moved[i] = true;
        else
            latest = i;
    }

    std::vector<std::size_t> order(dates.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return dates[a] < dates[b]; });
    items_.reorder(order, moved);
}

} // namespace kn
