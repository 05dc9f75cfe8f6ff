// Processing modules and their managers: the compression and encryption
// steps every stored value passes through. Modules are registered by name
// at start; a database's settings block names the ones it uses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Streams.h"
#include "processing/EncryptBase.h"

namespace tinydb {

// (Sender, Percent 0..100).
using TOnProgressEvent = std::function<void(void* sender, int percent)>;

// round(done * 100 / total), halves to the even neighbour; 0 when |total|
// is not positive.
int ProgressPercent(int64_t done, int64_t total);

// The four progress events a database publishes; Sender is the database.
// An empty event is not called.
struct TProcessProgressEvents {
  void* Sender = nullptr;
  TOnProgressEvent OnCompressProgress;
  TOnProgressEvent OnUncompressProgress;
  TOnProgressEvent OnEncryptProgress;
  TOnProgressEvent OnDecryptProgress;
};

// ---- Modules ----

// Base of all processing modules. |Owner| is the file access object
// (may be null in tests).
class TDataProcessAlgo {
 public:
  explicit TDataProcessAlgo(void* owner) : Owner(owner) {}
  virtual ~TDataProcessAlgo() = default;

  // Transform |source| (from its position, |size| bytes or as the module
  // says) into |dest|.
  virtual void Encode(TStream* source, TStream* dest, int64_t size) = 0;
  virtual void Decode(TStream* source, TStream* dest, int64_t size) = 0;

  void* Owner;
  TOnProgressEvent OnEncodeProgress;
  TOnProgressEvent OnDecodeProgress;

 protected:
  void FireEncode(int percent) { if (OnEncodeProgress) OnEncodeProgress(this, percent); }
  void FireDecode(int percent) { if (OnDecodeProgress) OnDecodeProgress(this, percent); }
};

class TCompressAlgo : public TDataProcessAlgo {
 public:
  using TDataProcessAlgo::TDataProcessAlgo;
  virtual void SetLevel(int level) { (void)level; }
  virtual int GetLevel() const { return 1; }
};

class TEncryptAlgo : public TDataProcessAlgo {
 public:
  using TDataProcessAlgo::TDataProcessAlgo;
  // Chunked stream encryption (4096-byte chunks). |size| < 0: the whole of
  // |source| from its start. |dest| null: in place.
  void Encode(TStream* source, TStream* dest, int64_t size) override;
  void Decode(TStream* source, TStream* dest, int64_t size) override;

  virtual void SetMode(int mode) { (void)mode; }
  virtual int GetMode() const { return 0; }
  virtual void InitKey(std::string_view password) = 0;
  virtual void ResetFeedback() {}
  virtual void EncryptBuffer(const void* source, void* dest, int64_t size) = 0;
  virtual void DecryptBuffer(const void* source, void* dest, int64_t size) = 0;

 private:
  void Transform(TStream* source, TStream* dest, int64_t size, bool encrypting);
};

using TCompressAlgoFactory = std::function<std::unique_ptr<TCompressAlgo>(void* owner)>;
using TEncryptAlgoFactory = std::function<std::unique_ptr<TEncryptAlgo>(void* owner)>;

// ---- Registry ----

// Registers a module class under |name| (names compare ignoring case). A
// class registered again keeps its place and takes the new name.
// |class_id| identifies the class (its type name).
void RegisterCompressionModule(const std::string& class_id, TCompressAlgoFactory factory,
                               const std::string& name);
void RegisterEncryptionModule(const std::string& class_id, TEncryptAlgoFactory factory,
                              const std::string& name);

// Registers "ZLIB", "Blowfish", "Twofish" and "Gost"; safe to call again.
void RegisterStandardModules();

// ---- Managers ----

// Holds the chosen module of one kind and forwards transforms to it.
// Every operation that needs a module throws EDatabaseError "General error"
// while none is selected.
class TDataProcessMgr {
 public:
  // |events| (may be null) receive the module's progress.
  TDataProcessMgr(void* owner, const TProcessProgressEvents* events)
      : owner_(owner), events_(events) {}
  virtual ~TDataProcessMgr() = default;

  // Position of |name| in this kind's registry; throws EDatabaseError
  // "... algorithm module '%s' not found" when absent.
  virtual int IndexOfAlgorithm(const std::string& name) const = 0;
  // Makes the registered module of that name current. Keeps the current
  // instance (with its mode and key) when it is of the same class. A
  // failure changes nothing.
  virtual void SelectAlgorithm(const std::string& name) = 0;
  virtual void Encode(TStream* source, TStream* dest, int64_t size);
  virtual void Decode(TStream* source, TStream* dest, int64_t size);

  bool HasAlgorithm() const { return algorithm_ != nullptr; }
  TDataProcessAlgo* Algorithm() const { return algorithm_.get(); }

 protected:
  TDataProcessAlgo& Current() const;  // throws "General error" when none

  void* owner_;
  const TProcessProgressEvents* events_;
  std::unique_ptr<TDataProcessAlgo> algorithm_;
  std::string algorithm_class_;
};

class TCompressMgr : public TDataProcessMgr {
 public:
  using TDataProcessMgr::TDataProcessMgr;
  int IndexOfAlgorithm(const std::string& name) const override;
  void SelectAlgorithm(const std::string& name) override;
};

class TEncryptMgr : public TDataProcessMgr {
 public:
  using TDataProcessMgr::TDataProcessMgr;
  int IndexOfAlgorithm(const std::string& name) const override;
  void SelectAlgorithm(const std::string& name) override;
  // The module's transform, then ResetFeedback, so every value starts
  // from the initial vector.
  void Encode(TStream* source, TStream* dest, int64_t size) override;
  void Decode(TStream* source, TStream* dest, int64_t size) override;
  virtual void EncryptBuffer(const void* source, void* dest, int64_t size);
  virtual void DecryptBuffer(const void* source, void* dest, int64_t size);

  void SetMode(int mode);
  void InitKey(std::string_view password);
  void ResetFeedback();

 private:
  TEncryptAlgo& CurrentCipher() const;
};

}  // namespace tinydb
