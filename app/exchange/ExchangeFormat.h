// The drink exchange file (".zdr"): a 40-byte header and 328-byte drink
// records, then the blocks holding the records' ingredients and directions.
// Integers are 32-bit little-endian and signed. Short texts are a length
// byte, the characters and filler up to the field's size. Name characters
// and text blocks are stored one higher, modulo 256, than the bytes they
// stand for.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zestoria {

// Header: 8 version bytes (byte 0 is '1') + 28 collection name (length
// byte + 27 characters) + 4 record count.
constexpr size_t kExchangeHeaderSize = 40;
constexpr size_t kExchangeVersionOffset = 0;
constexpr size_t kExchangeVersionSize = 8;
constexpr size_t kExchangeCollectionOffset = 8;
constexpr size_t kExchangeCollectionLength = 27;
constexpr size_t kExchangeRecordCountOffset = 36;
constexpr char kExchangeVersion = '1';

// Record i starts at kExchangeHeaderSize + kExchangeRecordSize * i.
constexpr size_t kExchangeRecordSize = 328;
// Offsets inside a record.
constexpr size_t kRecIdOffset = 0;            // int32, not imported
constexpr size_t kRecNameOffset = 4;          // length byte + 25 characters
constexpr size_t kRecNameEncodedCount = 25;   // bytes 4..28 are stored one higher
constexpr size_t kRecNameLastCharOffset = 29; // the 25th character, stored as is
constexpr size_t kRecIngredOffset = 32;       // int32 position of the text block, 0: empty
constexpr size_t kRecDirectionsOffset = 36;   // int32 position of the text block, 0: empty
constexpr size_t kRecTypeOffset = 40;
constexpr size_t kRecSeasonOffset = 44;
constexpr size_t kRecGlassOffset = 48;
constexpr size_t kRecTempOffset = 52;
constexpr size_t kRecMarkedOffset = 56;
constexpr size_t kRecStatusOffset = 60;       // length byte + 4 characters
constexpr size_t kRecReadOnlyOffset = 68;     // int32: 0 false, else true
constexpr size_t kRecCommentOffset = 72;      // length byte + 255 characters
static_assert(kRecCommentOffset + 1 + 255 == kExchangeRecordSize);

// A text block: a uint16 length n, then n bytes stored one higher. Blocks
// lie after the last record.
constexpr size_t kTextBlockLengthSize = 2;
constexpr size_t kExchangeTextLimit = 500;  // longest ingredients or directions text

// Restores |count| stored bytes at |address| in place: each one lower,
// modulo 256.
void decodeField(uint8_t* address, size_t count);
// The inverse of decodeField: each byte one higher, modulo 256.
void encodeField(uint8_t* address, size_t count);

// Little-endian 16- and 32-bit values at |p|.
int32_t LoadInt32(const uint8_t* p);
uint16_t LoadUint16(const uint8_t* p);
void StoreInt32(uint8_t* p, int32_t value);
void StoreUint16(uint8_t* p, uint16_t value);

}  // namespace zestoria
