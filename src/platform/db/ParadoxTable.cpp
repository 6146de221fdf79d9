#include "platform/db/ParadoxTable.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/FileIo.h"
#include "platform/db/ParadoxFileCheck.h"
#include "platform/db/TableFiles.h"
#include "platform/db/TableLock.h"

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <QTime>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <list>
#include <sys/stat.h>
#include <unistd.h>

namespace db {
namespace {

// Paradox counts days from 1 January of the year 1 (day 1); Qt counts Julian days.
constexpr qint64 kJulianDayOfDayZero = 1721425;
constexpr double kMillisecondsPerDay = 86400000.0;
constexpr double kMillisecondsAfterYear9999 = 3652059.0 * kMillisecondsPerDay;
constexpr int kProgramCodePage = 1250;

struct TypeInfo
{
    char pxType;
    TFieldType type;
    int length; ///< stored bytes; 0 when the definition gives it
};

constexpr TypeInfo kTypes[] = {
    {pxfAlpha, ftString, 0},        {pxfDate, ftDate, 4},         {pxfShort, ftSmallint, 2},
    {pxfLong, ftInteger, 4},        {pxfCurrency, ftCurrency, 8}, {pxfNumber, ftFloat, 8},
    {pxfLogical, ftBoolean, 1},     {pxfMemoBLOb, ftMemo, 0},     {pxfBLOb, ftBlob, 0},
    {pxfFmtMemoBLOb, ftFmtMemo, 0}, {pxfOLE, ftParadoxOle, 0},    {pxfGraphic, ftGraphic, 0},
    {pxfTime, ftTime, 4},           {pxfTimestamp, ftDateTime, 8}, {pxfAutoInc, ftAutoInc, 4},
    {pxfBCD, ftBCD, 17},            {pxfBytes, ftBytes, 0},
};

const TypeInfo *infoByPx(char pxType)
{
    for (const TypeInfo &info : kTypes)
        if (info.pxType == pxType)
            return &info;
    return nullptr;
}

const TypeInfo *infoByType(TFieldType type)
{
    for (const TypeInfo &info : kTypes)
        if (info.type == type)
            return &info;
    return nullptr;
}

bool writable(TFieldType type)
{
    switch (type) {
    case ftString: case ftDate: case ftSmallint: case ftInteger: case ftCurrency: case ftFloat:
    case ftBoolean: case ftTime: case ftDateTime: case ftAutoInc:
        return true;
    default:
        return false;
    }
}

void onError(pxdoc_t *, int level, const char *message, void *data)
{
    if (level == PX_Warning)
        return;
    *static_cast<QString *>(data) = QString::fromUtf8(message).trimmed();
}

} // namespace

// One pxlib document with the last error pxlib reported on it.
struct ParadoxTable::Document
{
    explicit Document(const QString &what) : what(what)
    {
        doc = PX_new3(onError, nullptr, nullptr, nullptr, &lastError);
        if (!doc)
            throw EDatabaseError(QStringLiteral("Paradox tables cannot be opened: out of memory"));
    }
    ~Document()
    {
        if (open)
            PX_close(doc);
        PX_delete(doc);
    }
    [[noreturn]] void fail(const QString &action) const
    {
        throw EDatabaseError(QStringLiteral("%1: %2%3").arg(what, action, lastError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(lastError)));
    }
    void setEncodings()
    {
        PX_set_parameter(doc, "targetencoding", "UTF-8");
        PX_set_parameter(doc, "inputencoding", "UTF-8");
    }

    pxdoc_t *doc = nullptr;
    bool open = false;
    QString what;
    QString lastError;
};

namespace {

bool heldAsNumber(int pxType)
{
    switch (pxType) {
    case pxfShort: case pxfLong: case pxfDate: case pxfTime: case pxfLogical: case pxfAutoInc:
    case pxfTimestamp: case pxfNumber: case pxfCurrency:
        return true;
    default:
        return false;
    }
}

// A record as pxlib hands it out, freed with the document's allocator.
class RetrievedRecord
{
public:
    RetrievedRecord(pxdoc_t *doc, pxval_t **values, int count) : m_doc(doc), m_values(values), m_count(count) {}
    RetrievedRecord(const RetrievedRecord &) = delete;
    RetrievedRecord &operator=(const RetrievedRecord &) = delete;
    ~RetrievedRecord()
    {
        for (int i = 0; i < m_count; ++i) {
            if (!m_values[i])
                continue;
            if (!heldAsNumber(m_values[i]->type) && m_values[i]->value.str.val)
                m_doc->free(m_doc, m_values[i]->value.str.val);
            m_doc->free(m_doc, m_values[i]);
        }
        m_doc->free(m_doc, m_values);
    }
    const pxval_t *operator[](int i) const { return m_values[i]; }

private:
    pxdoc_t *m_doc;
    pxval_t **m_values;
    int m_count;
};

// A record built here to be written; pxlib copies what it needs.
class OwnedRecord
{
public:
    explicit OwnedRecord(int count) : m_values(size_t(count)), m_pointers(size_t(count))
    {
        for (size_t i = 0; i < m_values.size(); ++i)
            m_pointers[i] = &m_values[i];
    }
    pxval_t *operator[](int i) { return &m_values[size_t(i)]; }
    pxval_t **data() { return m_pointers.data(); }
    /// Keeps `text` alive with the record and points the value at it.
    void setText(int i, QByteArray text)
    {
        m_texts.push_back(std::move(text));
        m_values[size_t(i)].value.str.val = m_texts.back().data();
        m_values[size_t(i)].value.str.len = int(m_texts.back().size());
    }

private:
    std::vector<pxval_t> m_values;
    std::vector<pxval_t *> m_pointers;
    std::list<QByteArray> m_texts;
};

QVariant toVariant(const pxval_t *value, const FieldDef &field)
{
    if (!value || value->isnull)
        return {};
    // Blank values are zero bytes in the file, which pxlib hands out as the smallest number
    // (Number and Currency: as 0, see clearBlankNumbers).
    const bool blankNumber = heldAsNumber(value->type) && value->type != pxfNumber && value->type != pxfCurrency
                             && value->type != pxfTimestamp && value->type != pxfLogical && value->type != pxfShort
                             && value->value.lval == long(INT32_MIN);
    if (blankNumber || (value->type == pxfTimestamp && value->value.dval <= 0))
        return {};
    switch (field.type) {
    case ftSmallint: case ftInteger: case ftAutoInc:
        return qlonglong(value->value.lval);
    case ftBoolean:
        return value->value.lval != 0;
    case ftDate:
        return QDate::fromJulianDay(value->value.lval + kJulianDayOfDayZero);
    case ftTime:
        return QTime::fromMSecsSinceStartOfDay(int(value->value.lval));
    case ftFloat: case ftCurrency:
        return value->value.dval;
    case ftDateTime: {
        if (!(value->value.dval < kMillisecondsAfterYear9999))
            throw EDatabaseError(QStringLiteral("field %1 holds no date and time").arg(field.name));
        const double days = std::floor(value->value.dval / kMillisecondsPerDay);
        const int ms = int(value->value.dval - days * kMillisecondsPerDay);
        return QDateTime(QDate::fromJulianDay(qint64(days) + kJulianDayOfDayZero), QTime::fromMSecsSinceStartOfDay(ms));
    }
    case ftBCD:
        return QString::fromLatin1(value->value.str.val).toDouble();
    case ftString: case ftMemo: case ftFmtMemo: {
        QString text = QString::fromUtf8(value->value.str.val, value->value.str.len);
        const qsizetype end = text.indexOf(QChar(0));
        if (end >= 0)
            text.truncate(end);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default:
        return QByteArray(value->value.str.val, value->value.str.len);
    }
}

bool isBlank(const char *bytes, int length)
{
    return std::all_of(bytes, bytes + length, [](char byte) { return byte == 0; });
}

// pxlib hands out a blank Number or Currency (its bytes all zero) as 0, like a stored 0 (whose
// sign bit is set on disk): the record's bytes tell the two apart.
void clearBlankNumbers(pxdoc_t *doc, int slot, const std::vector<FieldDef> &fields, Record &values)
{
    std::vector<char> bytes;
    int offset = 0;
    for (size_t i = 0; i < fields.size(); offset += fields[i].size, ++i) {
        const bool number = fields[i].nativeType == pxfNumber || fields[i].nativeType == pxfCurrency;
        if (!number || values[i].isNull() || values[i].toDouble() != 0)
            continue;
        if (bytes.empty()) {
            bytes.resize(size_t(PX_get_recordsize(doc)));
            if (bytes.size() < size_t(offset + fields[i].size) || !PX_get_record(doc, slot, bytes.data()))
                throw EDatabaseError(QStringLiteral("cannot read the bytes of the record"));
        }
        if (isBlank(bytes.data() + offset, fields[i].size))
            values[i] = QVariant();
    }
}

// Fills `target` from `value` for the field; throws EDatabaseError naming the field.
void fromVariant(OwnedRecord &record, int index, const QVariant &value, const FieldDef &field, const QString &what)
{
    pxval_t *target = record[index];
    const TypeInfo *info = infoByType(field.type);
    target->type = info ? info->pxType : 0;
    target->isnull = value.isNull() ? 1 : 0;
    if (value.isNull())
        return;
    auto fail = [&](const QString &problem) {
        throw EDatabaseError(QStringLiteral("%1, field %2: %3").arg(what, field.name, problem));
    };
    switch (field.type) {
    case ftSmallint: case ftInteger: case ftAutoInc: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        const double limit = field.type == ftSmallint ? 32767 : 2147483647;
        if (!ok || number != std::floor(number) || std::fabs(number) > limit)
            fail(QStringLiteral("'%1' is not a valid integer for the field").arg(value.toString()));
        target->value.lval = long(number);
        return;
    }
    case ftBoolean:
        target->value.lval = value.toBool() ? 1 : 0;
        return;
    case ftFloat: case ftCurrency: {
        bool ok = false;
        target->value.dval = value.toDouble(&ok);
        if (!ok || !std::isfinite(target->value.dval))
            fail(QStringLiteral("'%1' is not a number").arg(value.toString()));
        return;
    }
    case ftDate: {
        const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (!date.isValid())
            fail(QStringLiteral("'%1' is not a date").arg(value.toString()));
        target->value.lval = long(date.toJulianDay() - kJulianDayOfDayZero);
        return;
    }
    case ftTime: {
        const QTime time = value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
        if (!time.isValid())
            fail(QStringLiteral("'%1' is not a time").arg(value.toString()));
        target->value.lval = time.msecsSinceStartOfDay();
        return;
    }
    case ftDateTime: {
        const QDateTime stamp = value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0)) : value.toDateTime();
        if (!stamp.isValid())
            fail(QStringLiteral("'%1' is not a date and time").arg(value.toString()));
        target->value.dval = double(stamp.date().toJulianDay() - kJulianDayOfDayZero) * kMillisecondsPerDay + stamp.time().msecsSinceStartOfDay();
        return;
    }
    case ftString: {
        if (value.toString().size() > field.size)
            fail(QStringLiteral("'%1' is longer than %2 characters").arg(value.toString()).arg(field.size));
        record.setText(index, value.toString().toUtf8());
        return;
    }
    default:
        fail(QStringLiteral("fields of this type cannot be written"));
    }
}

} // namespace

namespace {

using PxWrite = size_t (*)(pxdoc_t *, pxstream_t *, size_t, void *);

struct NotedWrites
{
    io::WriteJournal *journal;
    int fd;
    QString what;
    PxWrite docWrite;
    PxWrite streamWrite;
};

QHash<pxdoc_t *, NotedWrites> &notedWrites()
{
    static QHash<pxdoc_t *, NotedWrites> writes;
    return writes;
}

// A write the journal could not note is not made: pxlib reports it failed.
size_t writeNoted(pxdoc_t *doc, pxstream_t *stream, size_t size, void *buffer, PxWrite NotedWrites::*original)
{
    const NotedWrites &writes = notedWrites()[doc];
    try {
        const long offset = stream->tell(doc, stream);
        if (offset < 0)
            return 0;
        writes.journal->noteWritten(writes.fd, off_t(offset), buffer, size, writes.what);
    } catch (const std::exception &) {
        return 0;
    }
    return (writes.*original)(doc, stream, size, buffer);
}

size_t docWriteNoted(pxdoc_t *doc, pxstream_t *stream, size_t size, void *buffer)
{
    return writeNoted(doc, stream, size, buffer, &NotedWrites::docWrite);
}

size_t streamWriteNoted(pxdoc_t *doc, pxstream_t *stream, size_t size, void *buffer)
{
    return writeNoted(doc, stream, size, buffer, &NotedWrites::streamWrite);
}

} // namespace

ParadoxTable::ParadoxTable(QString path) : m_path(std::move(path)) {}

ParadoxTable::~ParadoxTable() { noteWrites(false); }

void ParadoxTable::noteWrites(bool on)
{
    pxdoc_t *doc = m_doc ? m_doc->doc : nullptr;
    if (!doc || !doc->px_stream)
        return;
    auto &writes = notedWrites();
    if (on && !writes.contains(doc)) {
        writes.insert(doc, {m_journal.get(), m_changeFile.get(), m_doc->what, doc->write, doc->px_stream->write});
        doc->write = docWriteNoted;
        doc->px_stream->write = streamWriteNoted;
    } else if (!on && writes.contains(doc)) {
        const NotedWrites original = writes.take(doc);
        doc->write = original.docWrite;
        doc->px_stream->write = original.streamWrite;
    }
}

std::unique_ptr<ParadoxTable> ParadoxTable::open(const QString &path)
{
    RecoverInterruptedChange(path);
    std::unique_ptr<ParadoxTable> table(new ParadoxTable(path));
    table->openDocument();
    return table;
}

void ParadoxTable::openDocument()
{
    m_doc = std::make_unique<Document>(QStringLiteral("table %1").arg(QFileInfo(m_path).fileName()));
    m_fields.clear();
    m_loaded = -1;
    Document &doc = *m_doc;
    {
        bool writable = false;
        const io::FileHandle file = io::openTableFile(m_path, writable, doc.what);
        CheckParadoxFile(file.get(), doc.what);
    }
    if (PX_open_file(doc.doc, QFile::encodeName(m_path).constData()) < 0)
        doc.fail(QStringLiteral("cannot be opened as a Paradox table"));
    doc.open = true;
    doc.setEncodings();
    const int count = PX_get_num_fields(doc.doc);
    pxfield_t *fields = PX_get_fields(doc.doc);
    if (count <= 0 || !fields)
        doc.fail(QStringLiteral("has no fields"));
    bool needsBlob = false;
    for (int i = 0; i < count; ++i) {
        FieldDef field;
        field.name = QString::fromLatin1(fields[i].px_fname);
        field.nativeType = fields[i].px_ftype;
        field.size = fields[i].px_flen;
        field.decimals = fields[i].px_fdc;
        const TypeInfo *info = infoByPx(fields[i].px_ftype);
        field.type = info ? info->type : ftUnknown;
        needsBlob = needsBlob || IsBlobType(field.type);
        m_fields.push_back(field);
    }
    const QFileInfo info(m_path);
    if (needsBlob) {
        if (const auto blobPath = findFileIgnoringCase(info.absolutePath(), info.completeBaseName() + QStringLiteral(".mb")))
            PX_set_blob_file(doc.doc, QFile::encodeName(*blobPath).constData());
    }
}

// pxlib keeps the block it changed last in memory and writes through a buffered stream: the
// file (which other datasets read) holds a change, and a full disk shows, only once both went out.
void ParadoxTable::flush(const QString &action)
{
    pxdoc_t *doc = m_doc->doc;
    pxstream_t *stream = doc->px_stream;
    if (!stream || stream->type != pxfIOFile || !stream->s.fp)
        return;
    bool written = true;
    if (doc->curblockdirty && doc->curblock && doc->curblocknr > 0) {
        const long blockSize = long(doc->px_head->px_maxtablesize) * 0x400;
        written = stream->seek(doc, stream, doc->px_head->px_headersize + (doc->curblocknr - 1) * blockSize, SEEK_SET) == 0
                  && stream->write(doc, stream, size_t(blockSize), doc->curblock) > 0;
        doc->curblockdirty = 0;
    }
    if (!written || std::fflush(stream->s.fp) != 0)
        m_doc->fail(action + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
}

// Another document's writes do not reach this one's copy of the header: its slots may have
// moved (pxlib closes the gap of a removed record) and its record count would overwrite theirs.
void ParadoxTable::checkUnchangedElsewhere()
{
    constexpr off_t kRecordCountOffset = 6;
    bool writable = false;
    const io::FileHandle file = io::openTableFile(m_path, writable, m_doc->what);
    unsigned char count[4];
    io::readExactly(file.get(), count, sizeof count, kRecordCountOffset, m_doc->what);
    if (int(io::le32(count)) != slotCount())
        throw EDatabaseError(QStringLiteral("%1 was changed by another dataset after it was read; the change is not stored")
                                 .arg(m_doc->what));
}

std::unique_ptr<TableLock> ParadoxTable::lockForWriting()
{
    if (m_changeLock)
        return nullptr;
    bool pending = false;
    auto lock = LockForWriting(m_path, &pending);
    if (pending) // the file may have been put back as it was
        openDocument();
    return lock;
}

// The whole file goes into the journal: pxlib writes where it likes.
void ParadoxTable::beginChanges()
{
    m_changeLock = lockForWriting();
    bool writable = false;
    m_changeFile = io::openTableFile(m_path, writable, m_doc->what);
    m_journal = std::make_unique<io::WriteJournal>(io::journalPathFor(m_path));
    m_journal->track(m_changeFile.get(), QFileInfo(m_path).fileName());
    m_journal->saveRanges(m_changeFile.get(), {{0, size_t(io::fileSize(m_changeFile.get(), m_doc->what))}}, m_doc->what);
    noteWrites(true);
}

void ParadoxTable::commitChanges()
{
    noteWrites(false);
    if (m_journal)
        m_journal->commit(m_doc->what);
    m_journal.reset();
    m_changeFile = io::FileHandle();
    m_changeLock.reset();
}

void ParadoxTable::rollbackChanges()
{
    if (!m_journal)
        return;
    noteWrites(false);
    m_doc.reset();
    // The original bytes go back in place: that needs no more room than the file had.
    const bool restored = m_journal->restore();
    m_journal.reset();
    m_changeFile = io::FileHandle();
    const auto lock = std::move(m_changeLock);
    if (!restored)
        throw EDatabaseError(QStringLiteral("Cannot restore %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    openDocument();
}

int ParadoxTable::capabilities() const
{
    const bool writable = QFileInfo(m_path).isWritable() && io::modeAllowsWriting(m_path);
    return writable ? (CanUpdate | CanAppend | CanDelete) : 0;
}

int ParadoxTable::slotCount()
{
    const int count = PX_get_num_records(m_doc->doc);
    if (count < 0)
        m_doc->fail(QStringLiteral("cannot count its records"));
    return count;
}

bool ParadoxTable::isDeleted(int) { return false; }

void ParadoxTable::load(int slot)
{
    if (slot == m_loaded)
        return;
    if (slot < 0 || slot >= slotCount())
        throw EDatabaseError(QStringLiteral("%1 has no record %2").arg(m_doc->what).arg(slot + 1));
    pxval_t **values = PX_retrieve_record(m_doc->doc, slot);
    if (!values)
        m_doc->fail(QStringLiteral("cannot read record %1").arg(slot + 1));
    const RetrievedRecord record(m_doc->doc, values, int(m_fields.size()));
    m_values.assign(m_fields.size(), QVariant());
    try {
        for (size_t i = 0; i < m_fields.size(); ++i)
            m_values[i] = toVariant(record[int(i)], m_fields[i]);
        clearBlankNumbers(m_doc->doc, slot, m_fields, m_values);
    } catch (const EDatabaseError &error) {
        throw EDatabaseError(QStringLiteral("%1, record %2: %3").arg(m_doc->what).arg(slot + 1).arg(error.Message()));
    }
    m_loaded = slot;
}

QVariant ParadoxTable::value(int slot, int field)
{
    load(slot);
    return m_values[size_t(field)];
}

void ParadoxTable::reload(int slot)
{
    if (slot == m_loaded)
        m_loaded = -1;
}

void ParadoxTable::check(const Record &values, const std::vector<bool> *changed)
{
    if (values.size() != m_fields.size())
        throw EDatabaseError(QStringLiteral("%1: a record needs %2 values").arg(m_doc->what).arg(m_fields.size()));
    OwnedRecord scratch(int(m_fields.size()));
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (!changed || (*changed)[i])
            fromVariant(scratch, int(i), values[i], m_fields[i], m_doc->what);
}

void ParadoxTable::update(int slot, const Record &values, const std::vector<bool> &changed)
{
    check(values, &changed);
    load(slot);
    Record merged = m_values;
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (changed[i])
            merged[i] = values[i];
    OwnedRecord record(int(m_fields.size()));
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (!changed[i] && !writable(m_fields[i].type))
            throw EDatabaseError(QStringLiteral("%1: records with a field of type %2 cannot be changed")
                                     .arg(m_doc->what, FieldTypeName(m_fields[i].type)));
        fromVariant(record, int(i), merged[i], m_fields[i], m_doc->what);
    }
    const auto lock = lockForWriting();
    checkUnchangedElsewhere();
    m_loaded = -1;
    if (PX_update_record(m_doc->doc, record.data(), slot) < 0)
        m_doc->fail(QStringLiteral("cannot write record %1").arg(slot + 1));
    flush(QStringLiteral("cannot write record %1").arg(slot + 1));
    if (AfterRecordWrite)
        AfterRecordWrite();
}

int ParadoxTable::append(const Record &values)
{
    check(values, nullptr);
    OwnedRecord record(int(m_fields.size()));
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (!writable(m_fields[i].type))
            throw EDatabaseError(QStringLiteral("%1: records with a field of type %2 cannot be added")
                                     .arg(m_doc->what, FieldTypeName(m_fields[i].type)));
        fromVariant(record, int(i), values[i], m_fields[i], m_doc->what);
    }
    const auto lock = lockForWriting();
    checkUnchangedElsewhere();
    m_loaded = -1;
    const int slot = PX_insert_record(m_doc->doc, record.data());
    if (slot < 0)
        m_doc->fail(QStringLiteral("cannot add a record"));
    flush(QStringLiteral("cannot add a record"));
    if (AfterRecordWrite)
        AfterRecordWrite();
    return slot;
}

void ParadoxTable::remove(int slot)
{
    const auto lock = lockForWriting();
    checkUnchangedElsewhere();
    m_loaded = -1;
    if (PX_delete_record(m_doc->doc, slot) < 0)
        m_doc->fail(QStringLiteral("cannot delete record %1").arg(slot + 1));
    flush(QStringLiteral("cannot delete record %1").arg(slot + 1));
    if (AfterRecordWrite)
        AfterRecordWrite();
}

FieldDef ParadoxTable::checkedField(FieldDef field)
{
    if (field.name.isEmpty() || field.name.size() > 25)
        throw EDatabaseError(QStringLiteral("Invalid Paradox field name '%1': 1 to 25 characters").arg(field.name));
    const TypeInfo *info = infoByType(field.type);
    if (!info || !writable(field.type))
        throw EDatabaseError(QStringLiteral("Field %1: the type %2 is not available in Paradox tables").arg(field.name, FieldTypeName(field.type)));
    if (field.type == ftString) {
        if (field.size < 1 || field.size > 255)
            throw EDatabaseError(QStringLiteral("Field %1: a character field holds 1 to 255 characters").arg(field.name));
    } else {
        field.size = info->length;
    }
    field.nativeType = info->pxType;
    field.decimals = 0;
    return field;
}

void ParadoxTable::create(const QString &path, const std::vector<FieldDef> &fields)
{
    const QFileInfo target(path);
    // Written under a temporary name and renamed into place: a failure leaves nothing behind.
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.XXXXXX.db"));
    if (!temporary.open())
        throw EDatabaseError(QStringLiteral("Cannot create %1: %2").arg(path, temporary.errorString()));
    temporary.close();
    {
        Document doc(QStringLiteral("table %1").arg(target.fileName()));
        std::vector<pxfield_t> pxFields(fields.size());
        std::vector<QByteArray> names;
        for (size_t i = 0; i < fields.size(); ++i) {
            const FieldDef field = checkedField(fields[i]);
            names.push_back(field.name.toLatin1());
            pxFields[i].px_fname = static_cast<char *>(doc.doc->malloc(doc.doc, size_t(names.back().size()) + 1, "field name"));
            std::memcpy(pxFields[i].px_fname, names.back().constData(), size_t(names.back().size()) + 1);
            pxFields[i].px_ftype = field.nativeType;
            pxFields[i].px_flen = field.size;
            pxFields[i].px_fdc = 0;
        }
        auto *owned = static_cast<pxfield_t *>(doc.doc->malloc(doc.doc, sizeof(pxfield_t) * fields.size(), "fields"));
        std::memcpy(owned, pxFields.data(), sizeof(pxfield_t) * fields.size());
        if (PX_create_file(doc.doc, owned, int(fields.size()), QFile::encodeName(temporary.fileName()).constData(), pxfFileTypNonIndexDB) < 0)
            doc.fail(QStringLiteral("cannot be created"));
        doc.open = true;
        PX_set_parameter(doc.doc, "tablename", QFile::encodeName(target.completeBaseName()).constData());
        PX_set_value(doc.doc, "codepage", kProgramCodePage);
    }
    // pxlib does not tell when its writes fail (a full disk): the file must hold all it should.
    {
        const QString what = QStringLiteral("table %1").arg(target.fileName());
        bool writable = false;
        const io::FileHandle written = io::openTableFile(temporary.fileName(), writable, what);
        try {
            CheckParadoxFile(written.get(), what);
        } catch (const EDatabaseError &error) {
            throw EDatabaseError(QStringLiteral("Cannot create %1: it could not be written whole (%2)")
                                     .arg(target.fileName(), QString::fromUtf8(error.what())));
        }
        if (::fsync(written.get()) != 0)
            throw EDatabaseError(QStringLiteral("Cannot create %1: %2").arg(target.fileName(), QString::fromLocal8Bit(std::strerror(errno))));
    }
    // A temporary file is private to its maker; the table gets the mode of any new file. The
    // link takes the name only while no other file has it.
    if (::chmod(QFile::encodeName(temporary.fileName()).constData(), io::usualFileMode()) != 0
        || ::link(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        throw EDatabaseError(QStringLiteral("Cannot create %1: %2").arg(target.fileName(), QString::fromLocal8Bit(std::strerror(errno))));
}

void ParadoxTable::restructure(const QString &path, const std::vector<FieldDef> &fields, const std::vector<int> &sources)
{
    std::vector<Record> records;
    {
        auto old = open(path);
        const int count = old->slotCount();
        for (int slot = 0; slot < count; ++slot) {
            Record record(fields.size());
            for (size_t i = 0; i < fields.size(); ++i)
                if (sources[i] >= 0)
                    record[i] = old->value(slot, sources[i]);
            records.push_back(std::move(record));
        }
    }
    const QFileInfo info(path);
    const QString staging = info.absolutePath() + QStringLiteral("/.restructure-") + info.fileName();
    QFile::remove(staging);
    try {
        create(staging, fields);
        auto table = open(staging);
        for (const Record &record : records)
            table->append(record);
    } catch (...) {
        QFile::remove(staging);
        throw;
    }
    io::renameFile(staging, path, QStringLiteral("table %1").arg(info.fileName()));
}

} // namespace db
