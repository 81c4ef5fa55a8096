// The Excel 97-2003 workbook: the "Workbook" stream of BIFF8 records inside an OLE2 compound
// document. The container comes from libgsf; the records are the few that Excel and other
// readers need to open a one-sheet workbook cleanly: the globals (code page, window, fonts,
// the default cell formats and style, the sheet's entry, the shared strings and their index)
// and the sheet (dimensions, window, one text or number record per cell).
#include "workbooksmodule.h"

#include "core/knerror.h"
#include "core/textfile.h"

#include <QHash>
#include <QtEndian>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <bit>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace kn {

namespace {

enum RecordType : quint16 {
    Eof = 0x000A,
    Font = 0x0031,
    Continue = 0x003C,
    Window1 = 0x003D,
    CodePage = 0x0042,
    BoundSheet = 0x0085,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Number = 0x0203,
    Window2 = 0x023E,
    Style = 0x0293,
    Bof = 0x0809,
};

// Longer record data goes on in Continue records.
constexpr qsizetype kMaxRecordData = 8224;
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kUtf16CodePage = 1200;
// Excel expects fifteen style formats before the first cell format; every cell uses that one.
constexpr int kStyleXfCount = 15;
constexpr quint16 kCellXf = kStyleXfCount;

class RecordData {
public:
    RecordData& u8(quint8 value)
    {
        bytes_.append(char(value));
        return *this;
    }
    RecordData& u16(quint16 value) { return little(value); }
    RecordData& u32(quint32 value) { return little(value); }
    RecordData& utf16(QStringView text)
    {
        const qsizetype at = bytes_.size();
        bytes_.resize(at + 2 * text.size());
        qToLittleEndian<quint16>(text.utf16(), text.size(), bytes_.data() + at);
        return *this;
    }
    // A name of at most 255 characters: its length in one byte, then the characters as UTF-16.
    RecordData& shortText(QStringView text)
    {
        return u8(quint8(text.size())).u8(1).utf16(text);
    }
    qsizetype size() const { return bytes_.size(); }
    const QByteArray& bytes() const { return bytes_; }
    void clear() { bytes_.clear(); }

private:
    template <typename T>
    RecordData& little(T value)
    {
        const T stored = qToLittleEndian(value);
        bytes_.append(reinterpret_cast<const char*>(&stored), sizeof stored);
        return *this;
    }

    QByteArray bytes_;
};

class WorkbookStream {
public:
    void append(quint16 type, const RecordData& data)
    {
        Q_ASSERT(data.size() <= kMaxRecordData);
        const quint16 header[] = {qToLittleEndian(type), qToLittleEndian(quint16(data.size()))};
        bytes_.append(reinterpret_cast<const char*>(header), sizeof header);
        bytes_ += data.bytes();
    }
    qsizetype position() const { return bytes_.size(); }
    void patchU32(qsizetype at, quint32 value) { qToLittleEndian(value, bytes_.data() + at); }
    const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

// The sheet's cell records as they are made, in blocks that never move: a large sheet's cells are
// copied once, into the file.
class CellRecords {
public:
    CellRecords() = default;
    CellRecords(const CellRecords&) = delete;
    CellRecords& operator=(const CellRecords&) = delete;

    // A cell record in one piece: row, column and the one cell format, then the value's bytes.
    template <typename Value>
    void append(quint16 type, quint16 row, quint16 column, Value value)
    {
        constexpr quint16 dataSize = 6 + sizeof(Value);
        constexpr std::size_t recordSize = 4 + dataSize;
        if (blocks_.empty() || blocks_.back().used + recordSize > kBlockSize)
            addBlock();
        Block& block = blocks_.back();
        char* const record = reinterpret_cast<char*>(block.memory.get()) + block.used;
        qToLittleEndian(type, record);
        qToLittleEndian(dataSize, record + 2);
        qToLittleEndian(row, record + 4);
        qToLittleEndian(column, record + 6);
        qToLittleEndian(kCellXf, record + 8);
        qToLittleEndian(value, record + 10);
        block.used += recordSize;
    }

    template <typename Write>
    void forEachBlock(Write write) const
    {
        for (const Block& block : blocks_)
            write(QByteArrayView(reinterpret_cast<const char*>(block.memory.get()), qsizetype(block.used)));
    }

private:
    static constexpr std::size_t kBlockSize = std::size_t(2) << 20;
    struct Block {
        std::unique_ptr<std::byte[]> memory;
        std::size_t used;
    };

    void addBlock()
    {
        blocks_.push_back({std::make_unique_for_overwrite<std::byte[]>(kBlockSize), 0});
    }

    std::vector<Block> blocks_;
};

// The shared strings: one Sst record and as many Continue records as the strings need, with the
// index that ExtSst keeps of every bucket's first string.
class SharedStringWriter {
public:
    SharedStringWriter(WorkbookStream& stream, quint32 total, quint32 unique, quint16 perBucket)
        : stream_(stream), perBucket_(perBucket)
    {
        data_.u32(total).u32(unique);
    }

    void add(QStringView text)
    {
        // A string's length and flags stay in one record with at least its first character.
        if (kMaxRecordData - data_.size() < 5)
            flush();
        if (count_++ % perBucket_ == 0)
            buckets_.push_back({quint32(stream_.position() + 4 + data_.size()), quint16(4 + data_.size())});
        data_.u16(quint16(text.size())).u8(1);
        while (true) {
            const qsizetype fits = std::min<qsizetype>(text.size(), (kMaxRecordData - data_.size()) / 2);
            data_.utf16(text.first(fits));
            text = text.sliced(fits);
            if (text.isEmpty())
                break;
            // Characters carried into a Continue record start with their flags again.
            flush();
            data_.u8(1);
        }
    }

    void finish()
    {
        flush();
        RecordData index;
        index.u16(perBucket_);
        for (const Bucket& bucket : buckets_)
            index.u32(bucket.streamPosition).u16(bucket.recordOffset).u16(0);
        stream_.append(ExtSst, index);
    }

private:
    struct Bucket {
        quint32 streamPosition;
        quint16 recordOffset;
    };

    void flush()
    {
        stream_.append(type_, data_);
        data_.clear();
        type_ = Continue;
    }

    WorkbookStream& stream_;
    quint16 perBucket_;
    quint16 type_ = Sst;
    RecordData data_;
    std::vector<Bucket> buckets_;
    quint32 count_ = 0;
};

RecordData bof(quint16 substream)
{
    RecordData data;
    data.u16(kBiff8).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(6);
    return data;
}

RecordData font()
{
    RecordData data;
    // 10 point, automatic colour, normal weight, no underline, family or character set.
    data.u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0).shortText(u"Arial");
    return data;
}

RecordData xf(bool style, quint8 usedAttributes)
{
    RecordData data;
    // Font 0, number format General; locked; a style has no parent (0xFFF), a cell's is style 0.
    data.u16(0).u16(0).u16(style ? 0xFFF5 : 0x0001);
    // Bottom-aligned, no rotation or indent; no borders; pattern colours automatic (64, 65).
    data.u8(0x20).u8(0).u8(0).u8(usedAttributes).u32(0).u32(0).u16(0x20C0);
    return data;
}

// The texts of the sheet's cells, each unique one once in order of first use.
struct StringTable {
    // A column often repeats its text from row to row (a fixed source, the session), so the
    // column's last text is compared before the whole table is looked up.
    quint32 indexOf(const QString& text, std::size_t column)
    {
        ++total;
        if (column >= lastInColumn.size())
            lastInColumn.resize(column + 1);
        auto& [lastText, lastIndex] = lastInColumn[column];
        if (lastText.isNull() || lastText != text) {
            auto found = index.constFind(text);
            if (found == index.constEnd()) {
                found = index.insert(text, quint32(unique.size()));
                unique.push_back(text);
            }
            lastText = text;
            lastIndex = found.value();
        }
        return lastIndex;
    }

    QHash<QString, quint32> index;
    std::vector<QString> unique;
    std::vector<std::pair<QString, quint32>> lastInColumn;
    quint32 total = 0;
};

void writeGlobals(WorkbookStream& stream, const QString& sheetName, const StringTable& strings, qsizetype& sheetOffsetAt)
{
    stream.append(Bof, bof(0x0005));
    stream.append(CodePage, RecordData().u16(kUtf16CodePage));
    // Window position and size in twips; horizontal and vertical scroll bars and sheet tabs;
    // the first sheet shown and selected; tab bar at 60% of the width.
    stream.append(Window1, RecordData().u16(0).u16(0).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(600));
    // Font index 4 does not exist in this format, so five records make the indexes 0 to 3 and 5.
    for (int i = 0; i < 5; ++i)
        stream.append(Font, font());
    stream.append(Xf, xf(true, 0x00));
    for (int i = 1; i < kStyleXfCount; ++i)
        stream.append(Xf, xf(true, 0xF4));
    stream.append(Xf, xf(false, 0x00));
    stream.append(Style, RecordData().u16(0x8000).u8(0).u8(0xFF)); // built-in "Normal" on style 0

    sheetOffsetAt = stream.position() + 4;
    stream.append(BoundSheet, RecordData().u32(0).u8(0).u8(0).shortText(sheetName));

    const quint16 perBucket = quint16(std::max<std::size_t>(8, (strings.unique.size() + 127) / 128));
    SharedStringWriter sst(stream, strings.total, quint32(strings.unique.size()), perBucket);
    for (const QString& text : strings.unique)
        sst.add(text);
    sst.finish();
    stream.append(Eof, RecordData());
}

struct GObjectRelease {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectRelease>;

// The compound document's bytes go to the export file as libgsf makes them, gathered into large
// writes; the container goes back to its start once to complete the header. The first failure of
// the file is kept and every later write refused, so that it is the one reported.
class FileSink {
public:
    explicit FileSink(BinaryFileWriter& file) : file_(file) { buffer_.reserve(kBufferSize); }

    bool write(QByteArrayView bytes)
    {
        return attempt([&] {
            if (buffer_.size() + bytes.size() > kBufferSize)
                flush();
            if (bytes.size() >= kBufferSize)
                file_.write(bytes);
            else
                buffer_.append(bytes);
        });
    }
    bool seek(std::int64_t position)
    {
        return attempt([&] {
            flush();
            file_.seek(position);
        });
    }
    bool close()
    {
        return attempt([&] { flush(); });
    }

    // After libgsf said a step failed: the file's own failure, or else the memory that ran out.
    void check(gboolean done) const
    {
        if (failure_)
            std::rethrow_exception(failure_);
        if (!done)
            throw KNError(ErrorCode::OutOfMemory);
    }

private:
    static constexpr qsizetype kBufferSize = qsizetype(1) << 16;

    template <typename Step>
    bool attempt(Step step)
    {
        if (failure_)
            return false;
        try {
            step();
            return true;
        } catch (...) {
            failure_ = std::current_exception();
            return false;
        }
    }
    void flush()
    {
        if (!buffer_.isEmpty())
            file_.write(buffer_);
        buffer_.clear();
    }

    BinaryFileWriter& file_;
    QByteArray buffer_;
    std::exception_ptr failure_;
};

// A libgsf output that hands its bytes to a FileSink.
struct SinkOutput {
    GsfOutput output;
    FileSink* sink;
};

SinkOutput* sinkOutput(GsfOutput* output)
{
    return reinterpret_cast<SinkOutput*>(output);
}

gboolean sinkWrite(GsfOutput* output, size_t size, const guint8* data)
{
    return sinkOutput(output)->sink->write(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
}

gboolean sinkSeek(GsfOutput* output, gsf_off_t offset, GSeekType whence)
{
    gsf_off_t position = offset;
    if (whence == G_SEEK_CUR)
        position += gsf_output_tell(output);
    else if (whence == G_SEEK_END)
        position += gsf_output_size(output);
    return sinkOutput(output)->sink->seek(position);
}

gboolean sinkClose(GsfOutput* output)
{
    return sinkOutput(output)->sink->close();
}

GType sinkOutputType()
{
    static const GType type = g_type_register_static_simple(
        GSF_OUTPUT_TYPE, "DarodevWorkbookFileOutput", sizeof(GsfOutputClass),
        [](gpointer klass, gpointer) {
            auto* outputClass = static_cast<GsfOutputClass*>(klass);
            outputClass->Write = sinkWrite;
            outputClass->Seek = sinkSeek;
            outputClass->Close = sinkClose;
        },
        sizeof(SinkOutput), nullptr, GTypeFlags(0));
    return type;
}

// A compound document with one stream, "Workbook", written to the file piece by piece.
class CompoundDocument {
public:
    explicit CompoundDocument(BinaryFileWriter& file) : sink_(file)
    {
        static std::once_flag initialised;
        std::call_once(initialised, gsf_init);
        auto* output = static_cast<GsfOutput*>(g_object_new(sinkOutputType(), nullptr));
        sinkOutput(output)->sink = &sink_;
        output_.reset(output);
        document_.reset(gsf_outfile_msole_new(output_.get()));
        if (document_)
            stream_.reset(gsf_outfile_new_child(document_.get(), "Workbook", FALSE));
        if (!stream_)
            sink_.check(FALSE);
    }

    void write(QByteArrayView bytes)
    {
        sink_.check(gsf_output_write(stream_.get(), gsize(bytes.size()), reinterpret_cast<const guint8*>(bytes.data())));
    }

    void close()
    {
        sink_.check(gsf_output_close(stream_.get()));
        // The document closes its output as it completes.
        sink_.check(gsf_output_close(GSF_OUTPUT(document_.get())));
        if (!gsf_output_is_closed(output_.get()))
            sink_.check(gsf_output_close(output_.get()));
    }

private:
    FileSink sink_;
    GsfPtr<GsfOutput> output_;
    GsfPtr<GsfOutfile> document_;
    GsfPtr<GsfOutput> stream_;
};

// The globals need every text of the sheet before its cells, so the cell records are made as the
// rows come and placed after the globals when the workbook is finished.
class Excel97SheetWriter final : public SheetWriter {
public:
    explicit Excel97SheetWriter(const QString& sheetName) : sheetName_(sheetName) {}

    void addRow(std::span<const SheetCell> row) override
    {
        const auto rowIndex = quint16(rows_++);
        columns_ = std::max(columns_, row.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (const auto* text = std::get_if<QString>(&row[c]); text != nullptr && !text->isEmpty()) {
                cells_.append(LabelSst, rowIndex, quint16(c), strings_.indexOf(*text, c));
            } else if (const auto* number = std::get_if<Money>(&row[c])) {
                cells_.append(Number, rowIndex, quint16(c), std::bit_cast<quint64>(spreadsheetNumber(*number)));
            }
        }
    }

    // The stream is the globals, then the sheet: its opening records, the cells, its closing ones.
    void finish(BinaryFileWriter& file) override
    {
        WorkbookStream globals;
        qsizetype sheetOffsetAt = 0;
        writeGlobals(globals, sheetName_, strings_, sheetOffsetAt);
        globals.patchU32(sheetOffsetAt, quint32(globals.position()));

        WorkbookStream sheetStart;
        sheetStart.append(Bof, bof(0x0010));
        const quint32 rows = columns_ == 0 ? 0 : rows_;
        sheetStart.append(Dimensions, RecordData().u32(0).u32(rows).u16(0).u16(quint16(columns_)).u16(0));
        WorkbookStream sheetEnd;
        // Grid lines, headers, zeros, outline symbols; the sheet selected and shown.
        sheetEnd.append(Window2, RecordData().u16(0x06B6).u16(0).u16(0).u16(64).u16(0).u16(0).u16(0).u32(0));
        sheetEnd.append(Eof, RecordData());

        CompoundDocument document(file);
        document.write(globals.bytes());
        document.write(sheetStart.bytes());
        cells_.forEachBlock([&](QByteArrayView cells) { document.write(cells); });
        document.write(sheetEnd.bytes());
        document.close();
    }

private:
    QString sheetName_;
    StringTable strings_;
    CellRecords cells_;
    quint32 rows_ = 0;
    std::size_t columns_ = 0;
};

} // namespace

} // namespace kn

// The darodev-workbooks-xls module's entry point.
extern "C" Q_DECL_EXPORT kn::SheetWriter* darodev_workbooks_begin(const QString& sheetName)
{
    return new kn::Excel97SheetWriter(sheetName);
}
static_assert(std::is_same_v<decltype(&darodev_workbooks_begin), kn::BeginSheetWriter>);
