#include "exchange/ExchangeWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "exchange/ExchangeFormat.h"
#include "platform/Errors.h"
#include "platform/Streams.h"

namespace zestoria {

namespace {

// Stores |text| cut to |limit| characters as a short text at |p|.
void StoreShortText(uint8_t* p, const std::string& text, size_t limit) {
  const size_t length = std::min(text.size(), limit);
  p[0] = static_cast<uint8_t>(length);
  std::memcpy(p + 1, text.data(), length);
}

class TExchangeBuilder {
 public:
  TExchangeBuilder(const std::string& collection_name, const std::vector<TDrink>& drinks)
      : collection_name_(collection_name), drinks_(drinks) {}

  std::vector<uint8_t> Build() {
    const uint64_t records_end =
        kExchangeHeaderSize + static_cast<uint64_t>(kExchangeRecordSize) * drinks_.size();
    // Every position is an int32; a file this large could not point at its texts.
    if (records_end > INT32_MAX)
      throw tinydb::EWriteError("Too many drinks for one exchange file");
    bytes_.assign(records_end, 0);

    uint8_t* header = bytes_.data();
    header[kExchangeVersionOffset] = static_cast<uint8_t>(kExchangeVersion);
    StoreShortText(header + kExchangeCollectionOffset, collection_name_, kExchangeCollectionLength);
    StoreInt32(header + kExchangeRecordCountOffset, static_cast<int32_t>(drinks_.size()));

    for (size_t i = 0; i < drinks_.size(); ++i) WriteRecord(i, drinks_[i]);
    return std::move(bytes_);
  }

 private:
  void WriteRecord(size_t index, const TDrink& drink) {
    // The texts go first: appending blocks may move the buffer.
    const int32_t ingred = AppendTextBlock(drink.ingred);
    const int32_t directions = AppendTextBlock(drink.directions);

    uint8_t* record = bytes_.data() + kExchangeHeaderSize + kExchangeRecordSize * index;
    StoreInt32(record + kRecIdOffset, drink.id);
    StoreShortText(record + kRecNameOffset, drink.name, kDrinkNameLength);
    encodeField(record + kRecNameOffset, kRecNameEncodedCount);
    StoreInt32(record + kRecIngredOffset, ingred);
    StoreInt32(record + kRecDirectionsOffset, directions);
    StoreInt32(record + kRecTypeOffset, drink.type);
    StoreInt32(record + kRecSeasonOffset, drink.season);
    StoreInt32(record + kRecGlassOffset, drink.glass);
    StoreInt32(record + kRecTempOffset, drink.temp);
    StoreInt32(record + kRecMarkedOffset, drink.marked);
    StoreShortText(record + kRecStatusOffset, drink.status, kDrinkStatusLength);
    StoreInt32(record + kRecReadOnlyOffset, drink.read_only);
    StoreShortText(record + kRecCommentOffset, drink.comment, kDrinkCommentLength);
  }

  // Appends a block for |text| (cut to 500 bytes) and returns its position;
  // 0 for the empty text.
  int32_t AppendTextBlock(const std::string& text) {
    if (text.empty()) return 0;
    const size_t length = std::min(text.size(), kExchangeTextLimit);
    const size_t position = bytes_.size();
    if (position > INT32_MAX) throw tinydb::EWriteError("Too many drinks for one exchange file");
    bytes_.resize(position + kTextBlockLengthSize + length);
    uint8_t* block = bytes_.data() + position;
    StoreUint16(block, static_cast<uint16_t>(length));
    std::memcpy(block + kTextBlockLengthSize, text.data(), length);
    encodeField(block + kTextBlockLengthSize, length);
    return static_cast<int32_t>(position);
  }

  const std::string& collection_name_;
  const std::vector<TDrink>& drinks_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::vector<uint8_t> BuildExchangeFile(const std::string& collection_name,
                                       const std::vector<TDrink>& drinks) {
  return TExchangeBuilder(collection_name, drinks).Build();
}

void WriteExchangeFile(const std::string& file_name, const std::string& collection_name,
                       const std::vector<TDrink>& drinks) {
  tinydb::TMemoryStream stream(BuildExchangeFile(collection_name, drinks));
  stream.SaveToFile(file_name);
}

}  // namespace zestoria
