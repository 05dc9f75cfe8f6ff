#include "processing/CompAlgo_Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "processing/ByteOrder.h"

namespace tinydb {

namespace {

// Size of the envelope's length field (int32, little-endian).
constexpr int64_t kLengthSize = 4;

// deflate cannot expand its input by more than this (one 258-byte match per
// two bits); a stated length beyond it, plus a block's worth of slack,
// cannot come from a zlib stream of the given size.
constexpr int64_t kMaxDeflateRatio = 1032;
constexpr int64_t kRatioSlack = 1032;

void WriteInt32(TStream& stream, int32_t value) {
  uint8_t bytes[4];
  StoreLittleEndian32(static_cast<uint32_t>(value), bytes);
  stream.WriteBuffer(bytes, sizeof bytes);
}

int32_t ReadInt32(TStream& stream) {
  uint8_t bytes[4];
  stream.ReadBuffer(bytes, sizeof bytes);
  return static_cast<int32_t>(LoadLittleEndian32(bytes));
}

void Clear(TStream& stream) {
  stream.SetSize(0);
  stream.SetPosition(0);
}

// Replaces |target|'s contents with |result|'s and leaves |target| at 0.
void ReplaceContents(TStream& target, TMemoryStream& result) {
  Clear(target);
  target.WriteBuffer(result.Memory(), result.Size());
  target.SetPosition(0);
}

}  // namespace

TCompAlgo_Zlib::TCompAlgo_Zlib(void* owner)
    : TCompressAlgo(owner), in_(new uint8_t[kBufferSize]), out_(new uint8_t[kBufferSize]) {}

TCompAlgo_Zlib::~TCompAlgo_Zlib() {
  if (deflater_) deflateEnd(deflater_.get());
  if (inflater_) inflateEnd(inflater_.get());
}

z_stream* TCompAlgo_Zlib::Deflater() {
  const int level = ZlibLevel();
  if (deflater_ && deflater_level_ != level) {
    deflateEnd(deflater_.get());
    deflater_.reset();
  }
  if (!deflater_) {
    auto zs = std::make_unique<z_stream>();
    if (deflateInit(zs.get(), level) != Z_OK) throw EZlibError();
    deflater_ = std::move(zs);
    deflater_level_ = level;
  } else if (deflateReset(deflater_.get()) != Z_OK) {
    throw EZlibError();
  }
  deflater_->next_in = Z_NULL;
  deflater_->avail_in = 0;
  return deflater_.get();
}

z_stream* TCompAlgo_Zlib::Inflater() {
  if (!inflater_) {
    auto zs = std::make_unique<z_stream>();
    if (inflateInit(zs.get()) != Z_OK) throw EZlibError();
    inflater_ = std::move(zs);
  } else if (inflateReset(inflater_.get()) != Z_OK) {
    throw EZlibError();
  }
  inflater_->next_in = Z_NULL;
  inflater_->avail_in = 0;
  return inflater_.get();
}

int TCompAlgo_Zlib::ZlibLevel() const {
  switch (level_) {
    case 0: return Z_BEST_COMPRESSION;
    case 1: return Z_DEFAULT_COMPRESSION;
    case 2:
    case 3: return Z_BEST_SPEED;
    default: return Z_NO_COMPRESSION;
  }
}

void TCompAlgo_Zlib::Encode(TStream* source, TStream* dest, int64_t size) {
  if (source == nullptr) return;
  if (dest != nullptr && dest != source) {
    Compress(*source, *dest);
    return;
  }
  TMemoryStream result;
  Compress(*source, result);
  ReplaceContents(*source, result);
}

void TCompAlgo_Zlib::Decode(TStream* source, TStream* dest, int64_t size) {
  if (source == nullptr) return;
  if (dest != nullptr && dest != source) {
    Uncompress(*source, *dest);
    return;
  }
  TMemoryStream result;
  Uncompress(*source, result);
  ReplaceContents(*source, result);
}

void TCompAlgo_Zlib::Compress(TStream& source, TStream& dest) {
  total_ = source.Size();
  Clear(dest);
  if (total_ == 0) return;
  // The envelope's length is an int32.
  if (total_ > std::numeric_limits<int32_t>::max()) throw EWriteError();
  WriteInt32(dest, static_cast<int32_t>(total_));

  z_stream& zs = *Deflater();
  uint8_t* const in = in_.get();
  uint8_t* const out = out_.get();
  zs.next_out = out;
  zs.avail_out = kBufferSize;
  auto write_out = [&] {
    const int64_t have = kBufferSize - zs.avail_out;
    if (have == 0) return;
    dest.WriteBuffer(out, have);
    zs.next_out = out;
    zs.avail_out = kBufferSize;
    FireEncode(ProgressPercent(static_cast<int64_t>(zs.total_in), total_));
  };

  source.SetPosition(0);
  int64_t read = 0;
  for (;;) {
    if (zs.avail_in == 0 && read < total_) {
      const int64_t n = std::min<int64_t>(kBufferSize, total_ - read);
      source.ReadBuffer(in, n);
      read += n;
      zs.next_in = in;
      zs.avail_in = static_cast<uInt>(n);
    }
    const int rc = deflate(&zs, read == total_ ? Z_FINISH : Z_NO_FLUSH);
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) throw EZlibError();
    if (zs.avail_out == 0) write_out();
  }
  write_out();

  // Not worth it: keep the value as it is, marked by a negative length.
  if (dest.Size() - kLengthSize >= total_) {
    Clear(dest);
    WriteInt32(dest, static_cast<int32_t>(-total_));
    dest.CopyFrom(source, 0);
  }
}

void TCompAlgo_Zlib::Uncompress(TStream& source, TStream& dest) {
  total_ = source.Size();
  Clear(dest);
  if (total_ == 0) return;

  source.SetPosition(0);
  const int32_t stated = ReadInt32(source);  // EReadError when under 4 bytes
  const int64_t remaining = total_ - kLengthSize;

  if (stated < 0) {
    if (-static_cast<int64_t>(stated) > remaining) throw EReadError();
    dest.CopyFrom(source, remaining);
    dest.SetPosition(0);
    return;
  }

  const int64_t wanted = stated;
  if (wanted > kMaxDeflateRatio * remaining + kRatioSlack) throw EReadError();

  z_stream& zs = *Inflater();
  uint8_t* const in = in_.get();
  uint8_t* const out = out_.get();
  int64_t produced = 0;
  bool input_ended = false;
  for (;;) {
    if (zs.avail_in == 0 && !input_ended) {
      const int64_t got = source.Read(in, kBufferSize);
      if (got <= 0) {
        input_ended = true;
      } else {
        zs.next_in = in;
        zs.avail_in = static_cast<uInt>(got);
        FireDecode(ProgressPercent(source.Position(), total_));
      }
    }
    // Once the value is complete, the rest of the stream is only run
    // through to check its trailer; at most one more byte is asked for.
    const bool value_complete = produced == wanted;
    const uInt room =
        value_complete ? 1 : static_cast<uInt>(std::min<int64_t>(kBufferSize, wanted - produced));
    zs.next_out = out;
    zs.avail_out = room;
    const int rc = inflate(&zs, Z_NO_FLUSH);
    const int64_t have = room - zs.avail_out;
    if (value_complete) {
      if (have > 0) break;  // the stream goes on past the stated length
    } else if (have > 0) {
      dest.WriteBuffer(out, have);
      produced += have;
    }
    if (rc == Z_STREAM_END) {
      if (produced < wanted) throw EReadError();
      break;
    }
    if (rc == Z_BUF_ERROR) {
      // No progress without more input.
      if (!input_ended) continue;
      if (value_complete) break;  // the value is whole; only the trailer is cut
      throw EReadError();
    }
    if (rc != Z_OK) throw EZlibError();
  }
  dest.SetPosition(0);
}

}  // namespace tinydb
