// The zlib compression module ("ZLIB"). A compressed value is stored in an
// envelope: int32 n, then either a zlib stream (RFC 1950) that inflates to
// the n bytes of the value (n > 0), or the -n bytes of the value themselves
// (n < 0) when compressing would not make it smaller. An empty value has an
// empty envelope.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "platform/Errors.h"
#include "processing/DataProcess.h"

namespace tinydb {

// zlib refused the data or ran out of memory; the message is "error".
class EZlibError : public EEngineError {
 public:
  EZlibError() : EEngineError("error") {}
};

class TCompAlgo_Zlib : public TCompressAlgo {
 public:
  // Working buffer size for both directions (64 KiB).
  static constexpr int kBufferSize = 64 * 1024;

  explicit TCompAlgo_Zlib(void* owner);
  ~TCompAlgo_Zlib() override;
  TCompAlgo_Zlib(const TCompAlgo_Zlib&) = delete;
  TCompAlgo_Zlib& operator=(const TCompAlgo_Zlib&) = delete;

  // Compresses the whole of |source| (from its start; |size| is not used)
  // into |dest| as an envelope, replacing |dest|'s contents. Fires
  // OnEncodeProgress each time a buffer of output is written. |dest| null
  // or equal to |source|: the envelope replaces |source|'s contents.
  void Encode(TStream* source, TStream* dest, int64_t size) override;

  // Turns the envelope in |source| back into the value, replacing |dest|'s
  // contents, and leaves |dest| at position 0. Throws EReadError when the
  // envelope is shorter than it says (or states a length no zlib stream of
  // its size could produce) and EZlibError when the zlib data is corrupt
  // (also when only its check value is wrong); never writes more than the
  // stated length.
  void Decode(TStream* source, TStream* dest, int64_t size) override;

  // 0 -> best compression, 1 -> zlib's default, 2 or 3 -> fastest,
  // 4 and above -> stored without compression.
  void SetLevel(int level) override { level_ = static_cast<uint8_t>(level); }
  int GetLevel() const override { return level_; }

 private:
  int ZlibLevel() const;
  void Compress(TStream& source, TStream& dest);
  void Uncompress(TStream& source, TStream& dest);

  // The deflate and inflate states and the two working buffers are made on
  // first use and kept: every value passes through here, and setting up
  // zlib's state and 128 KiB of buffers per value would cost more than
  // compressing a typical memo. Each operation starts from a reset state.
  z_stream* Deflater();
  z_stream* Inflater();

  uint8_t level_ = 1;
  int64_t total_ = 0;  // input size of the running operation, for progress
  std::unique_ptr<z_stream> deflater_;
  int deflater_level_ = 0;
  std::unique_ptr<z_stream> inflater_;
  std::unique_ptr<uint8_t[]> in_;
  std::unique_ptr<uint8_t[]> out_;
};

}  // namespace tinydb
