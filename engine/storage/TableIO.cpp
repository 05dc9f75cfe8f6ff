#include "storage/TableIO.h"

#include "platform/Errors.h"

namespace tinydb {

namespace {
[[noreturn]] void Pending() { throw EDatabaseError("Table storage is not available yet"); }
}  // namespace

int IndexOfName(const std::vector<TTinyFieldDef>&, const std::string&) { Pending(); }
int IndexOfName(const std::vector<TTinyIndexDef>&, const std::string&) { Pending(); }

TOptimBlobStream::TOptimBlobStream(TTableStorageHost* host) : host_(host) {}
void TOptimBlobStream::SetLoadInfo(int64_t pos, bool encrypted, bool compressed) {
  pos_ = pos; encrypted_ = encrypted; compressed_ = compressed; loaded_ = false;
}
void TOptimBlobStream::EnsureLoaded() {}
void TOptimBlobStream::Clear() { TMemoryStream::Clear(); }
int64_t TOptimBlobStream::Read(void* b, int64_t c) { return TMemoryStream::Read(b, c); }
int64_t TOptimBlobStream::Write(const void* b, int64_t c) { return TMemoryStream::Write(b, c); }
int64_t TOptimBlobStream::Seek(int64_t o, TSeekOrigin s) { return TMemoryStream::Seek(o, s); }
int64_t TOptimBlobStream::Size() { return TMemoryStream::Size(); }
void TOptimBlobStream::SetSize(int64_t s) { TMemoryStream::SetSize(s); }

TFieldBufferItem::TFieldBufferItem(void* buffer, int field_type, int size)
    : Buffer(buffer), FieldType(static_cast<uint8_t>(field_type)), Size(size) {}
TFieldBufferItem::~TFieldBufferItem() = default;
bool TFieldBufferItem::IsBlob() const { return IsBlobFieldType(FieldType); }
TOptimBlobStream* TFieldBufferItem::BlobStream() const { Pending(); }
const uint8_t* TFieldBufferItem::DataPointer() const { Pending(); }
std::string TFieldBufferItem::AsText() const { Pending(); }
void TFieldBuffers::Add(void* buffer, int field_type, int size) {
  items_.push_back(std::make_unique<TFieldBufferItem>(buffer, field_type, size));
}

TTinyTableIO::TTinyTableIO(TTableStorageHost* database, const std::string& table_name)
    : database_(database), table_name_(table_name), header_(std::make_unique<TTableHeader>()) {}
TTinyTableIO::~TTinyTableIO() = default;
void TTinyTableIO::Open() { Pending(); }
void TTinyTableIO::Close() { Pending(); }
void TTinyTableIO::Load() { Pending(); }
void TTinyTableIO::Unload() { Pending(); }
const TIntegerAry& TTinyTableIO::IndexTabChunks(int) const { Pending(); }
bool TTinyTableIO::FieldEncrypted(int) { Pending(); }
bool TTinyTableIO::FieldCompressed(int) { Pending(); }
TRecordList& TTinyTableIO::GetRecordList(int) { Pending(); }
void TTinyTableIO::BuildRecordList(int, bool) { Pending(); }
void TTinyTableIO::ReadRecord(TFieldBuffers&, const TRecordList&, int) { Pending(); }
void TTinyTableIO::ReadFieldValue(TMemoryStream*, int, int) { Pending(); }
void TTinyTableIO::AppendRecord(TFieldBuffers&, bool, const TOnAdjust&) { Pending(); }
void TTinyTableIO::UpdateRecord(TFieldBuffers&, int, const TOnAdjust&, bool) { Pending(); }
void TTinyTableIO::DeleteRecord(int, bool) { Pending(); }
void TTinyTableIO::PadStringBuffers(TFieldBuffers&) { Pending(); }
void TTinyTableIO::CheckUniqueForInsert(TFieldBuffers&) { Pending(); }
void TTinyTableIO::CheckUniqueForUpdate(TFieldBuffers&, int) { Pending(); }
int TTinyTableIO::TranslatePosition(int, int, int) { Pending(); }
int TTinyTableIO::PhysicalPosition(const TRecordList&, int) { Pending(); }
int TTinyTableIO::PositionInList(int, int, const TRecordList&) { Pending(); }
int TTinyTableIO::PrimaryIndexNo() const { Pending(); }
int TTinyTableIO::CompareKeyRecord(TFieldBuffers&, const TRecordListEntry&, int, int, bool) { Pending(); }
TSearchResult TTinyTableIO::FindAnyMatch(const TRecordList&, TFieldBuffers&, int, int, bool) { Pending(); }
TSearchResult TTinyTableIO::FindBoundary(const TRecordList&, TFieldBuffers&, int, int, bool, bool) { Pending(); }
int TTinyTableIO::InsertionPosition(const TRecordList&, TFieldBuffers&, int) { Pending(); }

}  // namespace tinydb
