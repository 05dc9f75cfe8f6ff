#include "storage/BlobPrecoder.h"

#include <algorithm>
#include <cstring>

#include "processing/DataProcess.h"
#include "processing/Hash_SHA.h"
#include "storage/TinyDBFileIO.h"

namespace tinydb {

TBlobPrecoder::TBlobPrecoder(TTinyDBFileIO& io, std::vector<TFieldCoding> fields,
                             std::string_view password)
    : fields_(std::move(fields)) {
  bool any = false;
  for (const TFieldCoding& field : fields_) any = any || (field.Blob && (field.Compressed || field.Encrypted));
  if (!any) return;
  const TDataProcessSettings& settings = io.Settings();
  // Only the database's own key gives its bytes.
  if (settings.Encrypted != 0 &&
      HashText<THash_SHA>(password) != FixedTextToString(settings.PasswordCheck))
    return;
  auto compress = std::make_unique<TCompressMgr>(nullptr, nullptr);
  auto encrypt = std::make_unique<TEncryptMgr>(nullptr, nullptr);
  if (settings.Compressed != 0) {
    const auto* own = dynamic_cast<const TCompressAlgo*>(io.CompressMgr().Algorithm());
    if (own == nullptr) return;
    compress->SelectAlgorithm(FixedTextToString(settings.CompressAlgoName));
    static_cast<TCompressAlgo*>(compress->Algorithm())->SetLevel(own->GetLevel());
  }
  if (settings.Encrypted != 0) {
    const auto* own = dynamic_cast<const TEncryptAlgo*>(io.EncryptMgr().Algorithm());
    if (own == nullptr) return;
    encrypt->SelectAlgorithm(FixedTextToString(settings.EncryptAlgoName));
    encrypt->SetMode(own->GetMode());
    encrypt->InitKey(password);
  }
  compress_mgr_ = std::move(compress);
  encrypt_mgr_ = std::move(encrypt);
  usable_ = true;
}

TBlobPrecoder::~TBlobPrecoder() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  encoder_wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TBlobPrecoder::Submit(const std::vector<std::pair<int, std::string_view>>& values) {
  if (thread_.joinable()) return;  // queued before Start only
  TRecord record;
  if (usable_) {
    for (const auto& [field_no, plain] : values) {
      if (field_no < 0 || static_cast<size_t>(field_no) >= fields_.size()) continue;
      const TFieldCoding& coding = fields_[static_cast<size_t>(field_no)];
      if (!coding.Blob || (!coding.Compressed && !coding.Encrypted)) continue;
      TValue value;
      value.FieldNo = field_no;
      value.Compressed = coding.Compressed;
      value.Encrypted = coding.Encrypted;
      value.Plain = plain;
      record.Values.push_back(std::move(value));
    }
  }
  records_.push_back(std::move(record));
}

void TBlobPrecoder::Start() {
  if (thread_.joinable() || !usable_ || records_.empty()) return;
  states_.assign(records_.size(), kQueued);
  thread_ = std::thread([this] { Run(); });
}

void TBlobPrecoder::Run() {
  size_t r = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(mutex_);
      if (!stopping_ && r >= taken_ + kLookahead) {
        // Far enough ahead: woken once the insert has taken half of it.
        resume_at_ = r + 1 - kLookahead / 2;
        encoder_waiting_ = true;
        encoder_wake_.wait(hold, [&] { return stopping_ || r < taken_ + kLookahead; });
        encoder_waiting_ = false;
      }
      if (stopping_) return;
      // The encodings of records the insert is done with (all before the
      // one it may still be using) go; freed here, where they were made.
      const size_t done = taken_ > 0 ? taken_ - 1 : 0;
      for (; released_ < done; ++released_)
        for (TValue& value : records_[released_].Values) std::vector<uint8_t>().swap(value.Stored);
      // Never the record the insert takes next: it would be there first.
      r = std::max(r, taken_ + 1);
      while (r < records_.size() && states_[r] != kQueued) ++r;
      if (r >= records_.size()) return;
      states_[r] = kEncoding;
    }
    try {
      for (TValue& value : records_[r].Values) {
        plain_.SetSize(0);
        plain_.SetPosition(0);
        plain_.WriteBuffer(value.Plain.data(), static_cast<int64_t>(value.Plain.size()));
        EncodeValue(*compress_mgr_, *encrypt_mgr_, work_, &plain_, &stored_, value.Compressed,
                    value.Encrypted);
        const uint8_t* bytes = static_cast<const TMemoryStream&>(stored_).Bytes().data();
        value.Stored.assign(bytes, bytes + stored_.Size());
      }
    } catch (...) {
      // Left to the insert, which encodes (and reports) it itself.
      records_[r].Values.clear();
    }
    bool wake;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      states_[r] = kEncoded;
      wake = insert_waiting_;
    }
    if (wake) insert_wake_.notify_one();
    ++r;
  }
}

const TBlobPrecoder::TRecord* TBlobPrecoder::Next() {
  handed_out_ = nullptr;
  if (!thread_.joinable()) return nullptr;
  // Only this thread changes taken_, so it may read it unlocked.
  if (taken_ >= records_.size()) return nullptr;
  bool encoded;
  bool wake;
  {
    std::unique_lock<std::mutex> hold(mutex_);
    const size_t r = taken_;
    if (states_[r] == kEncoding) {
      insert_waiting_ = true;
      insert_wake_.wait(hold, [&] { return states_[r] != kEncoding; });
      insert_waiting_ = false;
    }
    encoded = states_[r] == kEncoded;
    if (!encoded) states_[r] = kLeft;
    ++taken_;
    wake = encoder_waiting_ && taken_ >= resume_at_;
  }
  if (wake) encoder_wake_.notify_one();
  if (encoded) handed_out_ = &records_[taken_ - 1];
  return handed_out_;
}

}  // namespace tinydb
