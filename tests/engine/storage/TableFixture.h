// A small database in memory for table storage tests: a host that owns the
// file access object, record buffers that hold one value per field, and the
// message of a refusal.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "storage/DatabaseWriter.h"
#include "storage/MemoryMedium.h"
#include "storage/TableIO.h"
#include "storage/TinyDBFileIO.h"

namespace tinydb::test {

// The database side of table storage: one memory image opened through file
// access (with the password when the image is encrypted).
class TFakeHost : public TTableStorageHost {
 public:
  TFakeHost(const TDatabaseSettings& settings, const std::vector<TTableDefinition>& tables)
      : image_(std::make_unique<TMemoryStream>()) {
    CreateDatabase(*image_, settings, tables);
    password_ = settings.Password.value_or("");
    Connect();
  }
  // Takes over an image built elsewhere (a stream of a derived class, say).
  explicit TFakeHost(std::unique_ptr<TMemoryStream> image, std::string password = "")
      : image_(std::move(image)), password_(std::move(password)) {
    Connect();
  }
  // A database file at |path| instead of a memory image.
  TFakeHost(const std::string& path, const TDatabaseSettings& settings,
            const std::vector<TTableDefinition>& tables, TFileIODatabaseLink* link)
      : path_(path), link_(link) {
    CreateDatabaseFile(path, settings, tables);
    password_ = settings.Password.value_or("");
    Connect();
  }
  ~TFakeHost() override {
    io_.reset();
    if (image_) UnregisterMemoryStream(image_.get());
  }

  void Connect() {
    io_ = std::make_unique<TTinyDBFileIO>(link_);
    if (image_)
      io_->Open(MemoryStreamToDatabaseName(image_.get()), mtMemory, false);
    else
      io_->Open(path_, mtDisk, false);
    if (!io_->VerifyPassword(password_)) throw EDatabaseError("Access denied");
  }
  void Disconnect() { io_.reset(); }

  TTinyDBFileIO& FileIO() override {
    if (!io_ || !io_->IsOpen())
      throw EDatabaseError("Cannot perform this operation on a closed database");
    return *io_;
  }
  bool Compressed() override { return FileIO().Settings().Compressed != 0; }
  bool Encrypted() override { return FileIO().Settings().Encrypted != 0; }
  bool VerifyWrites() override { return FileIO().Settings().VerifyWrites != 0; }

  TMemoryStream& Image() { return *image_; }
  const std::vector<uint8_t>& Bytes() const { return image_->Bytes(); }

 private:
  std::unique_ptr<TMemoryStream> image_;
  std::string path_;
  TFileIODatabaseLink* link_ = nullptr;
  std::string password_;
  std::unique_ptr<TTinyDBFileIO> io_;
};

// One record's values, laid out as a cursor's record buffer would hold
// them: each fixed-width field in its stored width, each blob in a
// TOptimBlobStream.
class TRecordValues {
 public:
  TRecordValues(TTinyTableIO& table, TTableStorageHost* host) {
    for (const TTinyFieldDef& def : table.FieldDefs()) {
      const int width = IsBlobFieldType(def.FieldType) ? 0 : StoredFieldWidth(def.FieldType, def.FieldSize);
      values_.emplace_back(static_cast<size_t>(width), 0);
      blobs_.push_back(IsBlobFieldType(def.FieldType) ? std::make_unique<TOptimBlobStream>(host)
                                                      : nullptr);
      if (blobs_.back())
        buffers_.Add(blobs_.back().get(), def.FieldType, 0);
      else
        buffers_.Add(values_.back().data(), def.FieldType, width);
    }
  }

  TFieldBuffers& Buffers() { return buffers_; }
  TFieldBufferItem& Item(int field) { return buffers_.Items(field); }
  TOptimBlobStream& Blob(int field) { return *blobs_[static_cast<size_t>(field)]; }

  TRecordValues& SetInt(int field, int32_t v) {
    std::memcpy(values_[static_cast<size_t>(field)].data(), &v, 4);
    return *this;
  }
  TRecordValues& SetText(int field, const std::string& text) {
    std::vector<uint8_t>& value = values_[static_cast<size_t>(field)];
    std::fill(value.begin(), value.end(), 0);
    std::memcpy(value.data(), text.data(), std::min(text.size(), value.size()));
    return *this;
  }
  // Raw bytes of a fixed-width field (for texts that fill their buffer).
  std::vector<uint8_t>& Raw(int field) { return values_[static_cast<size_t>(field)]; }
  TRecordValues& SetBlob(int field, const std::string& bytes) {
    TOptimBlobStream& blob = Blob(field);
    blob.Clear();
    blob.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    return *this;
  }

  int32_t Int(int field) const {
    int32_t v;
    std::memcpy(&v, values_[static_cast<size_t>(field)].data(), 4);
    return v;
  }
  std::string Text(int field) const {
    const std::vector<uint8_t>& value = values_[static_cast<size_t>(field)];
    return std::string(reinterpret_cast<const char*>(value.data()),
                       strnlen(reinterpret_cast<const char*>(value.data()), value.size()));
  }
  std::string BlobText(int field) {
    TOptimBlobStream& blob = Blob(field);
    std::string text(static_cast<size_t>(blob.Size()), '\0');
    blob.SetPosition(0);
    blob.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    return text;
  }

 private:
  std::vector<std::vector<uint8_t>> values_;
  std::vector<std::unique_ptr<TOptimBlobStream>> blobs_;
  TFieldBuffers buffers_;
};

// The message of the exception |action| throws ("" when it throws none).
inline std::string Throws(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// Record numbers of a record list, in list order.
inline std::vector<int32_t> RecordNumbers(const TRecordList& list) {
  std::vector<int32_t> numbers;
  for (const TRecordListEntry& e : list) numbers.push_back(e.RecordNo);
  return numbers;
}

inline int32_t Int32At(const std::vector<uint8_t>& image, int64_t pos) {
  return DecodeInt32(&image[static_cast<size_t>(pos)]);
}

// The table header as it stands in the image.
inline TTableHeader HeaderInImage(const std::vector<uint8_t>& image, int table) {
  TTableHeader header;
  header.DecodeFrom(&image[static_cast<size_t>(Int32At(image, kTableDirectoryPos + 8 + 4 * table))]);
  return header;
}

// Record numbers along index |index_no|'s sort chain in the image, skipping
// deleted records (what a reader of the file sees).
inline std::vector<int32_t> WalkChain(const std::vector<uint8_t>& image, int table, int index_no) {
  const TTableHeader header = HeaderInImage(image, table);
  const TIndexDefEntry& index = header.IndexDefs[static_cast<size_t>(index_no)];
  std::vector<int32_t> order;
  if (index.IndexTabPos == 0) return order;
  auto chunk = [&](int32_t first, int32_t k) {
    int32_t pos = first;
    for (int c = 0; c < k / kTabChunkItems; ++c) pos = Int32At(image, pos);
    return pos;
  };
  int32_t k = index.ChainHead;
  for (int steps = 0; k != -1 && steps < header.RecordCount; ++steps) {
    const int64_t item = chunk(header.RecordTabPos, k) + 4 + (k % kTabChunkItems) * kRecordTabItemSize;
    if (image[static_cast<size_t>(item + 4)] == 0) order.push_back(k);
    k = Int32At(image, chunk(index.IndexTabPos, k) + 4 + (k % kTabChunkItems) * kIndexTabItemSize + 4);
  }
  return order;
}

}  // namespace tinydb::test
