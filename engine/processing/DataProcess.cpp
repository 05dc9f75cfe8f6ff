#include "processing/DataProcess.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Errors.h"
#include "processing/CompAlgo_Zlib.h"
#include "processing/EncAlgo.h"

namespace tinydb {

namespace {

// Stream encryption works through a buffer of this many bytes.
constexpr int64_t kEncryptChunkSize = 4096;

const char kCompressionNotFound[] = "Compression algorithm module '%s' not found";
const char kEncryptionNotFound[] = "Encryption algorithm module '%s' not found";

// One kind's ordered list of (class, factory, name).
template <class Factory>
class TModuleRegistry {
 public:
  struct Entry {
    std::string class_id;
    Factory factory;
    std::string name;
  };

  void Register(const std::string& class_id, Factory factory, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& entry : entries_) {
      if (entry.class_id == class_id) {
        entry.factory = std::move(factory);
        entry.name = name;
        return;
      }
    }
    entries_.push_back(Entry{class_id, std::move(factory), name});
  }

  // Position of |name| or -1; |found| receives a copy of the entry.
  int Find(const std::string& name, Entry* found) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (SameText(entries_[i].name, name)) {
        if (found != nullptr) *found = entries_[i];
        return static_cast<int>(i);
      }
    }
    return -1;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

TModuleRegistry<TCompressAlgoFactory>& CompressionRegistry() {
  static TModuleRegistry<TCompressAlgoFactory> registry;
  return registry;
}

TModuleRegistry<TEncryptAlgoFactory>& EncryptionRegistry() {
  static TModuleRegistry<TEncryptAlgoFactory> registry;
  return registry;
}

// Makes |module_event| call the database event |which| of |events| (looked
// up at call time, so the database may assign it later) with the
// database as sender.
void Relay(TOnProgressEvent& module_event, const TProcessProgressEvents* events,
           TOnProgressEvent TProcessProgressEvents::*which) {
  if (events == nullptr) {
    module_event = nullptr;
    return;
  }
  module_event = [events, which](void*, int percent) {
    const TOnProgressEvent& target = events->*which;
    if (target) target(events->Sender, percent);
  };
}

// Returns the cipher's feedback to the initial vector when the value's
// operation ends, also when it fails half-way, so the next value starts
// from a known state.
class TFeedbackReset {
 public:
  explicit TFeedbackReset(TEncryptAlgo& algo) : algo_(algo) {}
  ~TFeedbackReset() { algo_.ResetFeedback(); }
  TFeedbackReset(const TFeedbackReset&) = delete;
  TFeedbackReset& operator=(const TFeedbackReset&) = delete;

 private:
  TEncryptAlgo& algo_;
};

}  // namespace

int ProgressPercent(int64_t done, int64_t total) {
  if (total <= 0) return 0;
  const int64_t scaled = done * 100;
  int64_t quotient = scaled / total;
  const int64_t twice_remainder = 2 * (scaled % total);
  if (twice_remainder > total || (twice_remainder == total && quotient % 2 != 0)) ++quotient;
  return static_cast<int>(quotient);
}

// ---- Registry ----

void RegisterCompressionModule(const std::string& class_id, TCompressAlgoFactory factory,
                               const std::string& name) {
  CompressionRegistry().Register(class_id, std::move(factory), name);
}

void RegisterEncryptionModule(const std::string& class_id, TEncryptAlgoFactory factory,
                              const std::string& name) {
  EncryptionRegistry().Register(class_id, std::move(factory), name);
}

void RegisterStandardModules() {
  RegisterCompressionModule(
      "TCompAlgo_Zlib", [](void* owner) { return std::make_unique<TCompAlgo_Zlib>(owner); },
      "ZLIB");
  RegisterEncryptionModule(
      "TEncAlgo_Blowfish",
      [](void* owner) { return std::make_unique<TEncAlgo_Blowfish>(owner); }, "Blowfish");
  RegisterEncryptionModule(
      "TEncAlgo_Twofish", [](void* owner) { return std::make_unique<TEncAlgo_Twofish>(owner); },
      "Twofish");
  RegisterEncryptionModule(
      "TEncAlgo_Gost", [](void* owner) { return std::make_unique<TEncAlgo_Gost>(owner); },
      "Gost");
}

// ---- Stream encryption ----

void TEncryptAlgo::Encode(TStream* source, TStream* dest, int64_t size) {
  Transform(source, dest, size, true);
}

void TEncryptAlgo::Decode(TStream* source, TStream* dest, int64_t size) {
  Transform(source, dest, size, false);
}

void TEncryptAlgo::Transform(TStream* source, TStream* dest, int64_t size, bool encrypting) {
  if (source == nullptr) return;
  if (dest == nullptr) dest = source;
  if (size < 0) {
    size = source->Size();
    source->SetPosition(0);
  }
  auto fire = [&](int percent) { encrypting ? FireEncode(percent) : FireDecode(percent); };

  fire(0);
  // No bigger than the value: a small value neither fills nor wipes a
  // whole chunk.
  std::vector<uint8_t> chunk(static_cast<size_t>(std::clamp<int64_t>(size, 0, kEncryptChunkSize)));
  try {
    // Separate positions: with |dest| == |source| each chunk is written
    // back where it was read.
    int64_t read_pos = source->Position();
    int64_t write_pos = dest->Position();
    const int64_t total = size;
    int64_t done = 0;
    while (size > 0) {
      source->SetPosition(read_pos);
      const int64_t got = source->Read(chunk.data(), std::min(size, kEncryptChunkSize));
      if (got <= 0) break;
      read_pos += got;
      if (encrypting) {
        EncryptBuffer(chunk.data(), chunk.data(), got);
      } else {
        DecryptBuffer(chunk.data(), chunk.data(), got);
      }
      dest->SetPosition(write_pos);
      dest->WriteBuffer(chunk.data(), got);
      write_pos += got;
      done += got;
      fire(ProgressPercent(done, total));
      size -= got;
    }
  } catch (...) {
    SecureWipe(chunk.data(), chunk.size());
    fire(0);
    throw;
  }
  SecureWipe(chunk.data(), chunk.size());
  fire(0);
}

// ---- Managers ----

TDataProcessAlgo& TDataProcessMgr::Current() const {
  if (!algorithm_) throw EDatabaseError(kGeneralError);
  return *algorithm_;
}

void TDataProcessMgr::Encode(TStream* source, TStream* dest, int64_t size) {
  Current().Encode(source, dest, size);
}

void TDataProcessMgr::Decode(TStream* source, TStream* dest, int64_t size) {
  Current().Decode(source, dest, size);
}

int TCompressMgr::IndexOfAlgorithm(const std::string& name) const {
  const int index = CompressionRegistry().Find(name, nullptr);
  if (index < 0) throw EDatabaseError(FormatMessage(kCompressionNotFound, name));
  return index;
}

void TCompressMgr::SelectAlgorithm(const std::string& name) {
  TModuleRegistry<TCompressAlgoFactory>::Entry entry;
  if (CompressionRegistry().Find(name, &entry) < 0) {
    throw EDatabaseError(FormatMessage(kCompressionNotFound, name));
  }
  if (algorithm_ && algorithm_class_ == entry.class_id) return;
  std::unique_ptr<TDataProcessAlgo> module = entry.factory(owner_);
  if (!module) throw EDatabaseError(kGeneralError);
  Relay(module->OnEncodeProgress, events_, &TProcessProgressEvents::OnCompressProgress);
  Relay(module->OnDecodeProgress, events_, &TProcessProgressEvents::OnUncompressProgress);
  algorithm_ = std::move(module);
  algorithm_class_ = entry.class_id;
}

int TEncryptMgr::IndexOfAlgorithm(const std::string& name) const {
  const int index = EncryptionRegistry().Find(name, nullptr);
  if (index < 0) throw EDatabaseError(FormatMessage(kEncryptionNotFound, name));
  return index;
}

void TEncryptMgr::SelectAlgorithm(const std::string& name) {
  TModuleRegistry<TEncryptAlgoFactory>::Entry entry;
  if (EncryptionRegistry().Find(name, &entry) < 0) {
    throw EDatabaseError(FormatMessage(kEncryptionNotFound, name));
  }
  if (algorithm_ && algorithm_class_ == entry.class_id) return;
  std::unique_ptr<TDataProcessAlgo> module = entry.factory(owner_);
  if (!module) throw EDatabaseError(kGeneralError);
  Relay(module->OnEncodeProgress, events_, &TProcessProgressEvents::OnEncryptProgress);
  Relay(module->OnDecodeProgress, events_, &TProcessProgressEvents::OnDecryptProgress);
  algorithm_ = std::move(module);
  algorithm_class_ = entry.class_id;
}

TEncryptAlgo& TEncryptMgr::CurrentCipher() const {
  // Only encryption modules are ever installed here.
  return static_cast<TEncryptAlgo&>(Current());
}

void TEncryptMgr::Encode(TStream* source, TStream* dest, int64_t size) {
  TEncryptAlgo& algo = CurrentCipher();
  TFeedbackReset reset(algo);
  algo.Encode(source, dest, size);
}

void TEncryptMgr::Decode(TStream* source, TStream* dest, int64_t size) {
  TEncryptAlgo& algo = CurrentCipher();
  TFeedbackReset reset(algo);
  algo.Decode(source, dest, size);
}

void TEncryptMgr::EncryptBuffer(const void* source, void* dest, int64_t size) {
  TEncryptAlgo& algo = CurrentCipher();
  TFeedbackReset reset(algo);
  algo.EncryptBuffer(source, dest, size);
}

void TEncryptMgr::DecryptBuffer(const void* source, void* dest, int64_t size) {
  TEncryptAlgo& algo = CurrentCipher();
  TFeedbackReset reset(algo);
  algo.DecryptBuffer(source, dest, size);
}

void TEncryptMgr::SetMode(int mode) { CurrentCipher().SetMode(mode); }

void TEncryptMgr::InitKey(std::string_view password) { CurrentCipher().InitKey(password); }

void TEncryptMgr::ResetFeedback() { CurrentCipher().ResetFeedback(); }

namespace {
// The standard modules are there from program load on.
const bool kStandardModulesRegistered = (RegisterStandardModules(), true);
}  // namespace

}  // namespace tinydb
