#include "exchange/ExchangeReader.h"

#include <algorithm>
#include <optional>

#include "exchange/ExchangeFormat.h"
#include "platform/Streams.h"

namespace zestoria {

namespace {

const char kCannotImport[] = "Can not import drinks.";
const char kLineBreak[] = "\n\r";

[[noreturn]] void Damaged(const std::string& what) {
  throw EExchangeDamagedError(std::string("Error: ") + kCannotImport + kLineBreak +
                              "This ZDR file is damaged: " + what + ".");
}

std::string RecordPlace(size_t index) { return "record " + std::to_string(index + 1); }

// The short text at |p|: a length byte, then that many characters.
std::string ShortText(const uint8_t* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

class TExchangeParser {
 public:
  explicit TExchangeParser(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  TExchangeFile Parse() {
    if (!bytes_.empty() && bytes_[kExchangeVersionOffset] != kExchangeVersion)
      throw EExchangeVersionError(static_cast<char>(bytes_[kExchangeVersionOffset]));
    if (bytes_.size() < kExchangeHeaderSize)
      Damaged("the header is " + std::to_string(bytes_.size()) + " bytes long, not " +
              std::to_string(kExchangeHeaderSize));

    TExchangeFile file;
    const uint8_t* header = bytes_.data();
    const uint8_t name_length = header[kExchangeCollectionOffset];
    if (name_length > kExchangeCollectionLength)
      Damaged("the collection name is " + std::to_string(name_length) +
              " characters long, at most " + std::to_string(kExchangeCollectionLength));
    file.collectionName = ShortText(header + kExchangeCollectionOffset);
    file.recordCount = LoadInt32(header + kExchangeRecordCountOffset);
    if (file.recordCount < 0)
      Damaged("the record count " + std::to_string(file.recordCount) + " is negative");

    text_area_ = kExchangeHeaderSize + static_cast<uint64_t>(kExchangeRecordSize) *
                                           static_cast<uint64_t>(file.recordCount);
    const uint64_t complete = (bytes_.size() - kExchangeHeaderSize) / kExchangeRecordSize;
    const uint64_t present = std::min<uint64_t>(complete, static_cast<uint64_t>(file.recordCount));
    file.drinks.reserve(present);
    for (size_t i = 0; i < present; ++i) {
      std::optional<TDrink> drink = ReadRecord(i);
      if (drink) file.drinks.push_back(std::move(*drink));
      else ++file.incomplete;
    }
    return file;
  }

 private:
  // The drink of record |index|; nullopt when a text of it lies wholly or
  // partly beyond the end of the file (the file was cut short).
  std::optional<TDrink> ReadRecord(size_t index) {
    uint8_t record[kExchangeRecordSize];
    const uint8_t* source = bytes_.data() + kExchangeHeaderSize + kExchangeRecordSize * index;
    std::copy(source, source + kExchangeRecordSize, record);

    decodeField(record + kRecNameOffset, kRecNameEncodedCount);
    const uint8_t name_length = record[kRecNameOffset];
    if (name_length > kDrinkNameLength)
      Damaged(RecordPlace(index) + " has a name of " + std::to_string(name_length) +
              " characters, at most " + std::to_string(kDrinkNameLength));
    const uint8_t status_length = record[kRecStatusOffset];
    if (status_length > kDrinkStatusLength)
      Damaged(RecordPlace(index) + " has a status of " + std::to_string(status_length) +
              " characters, at most " + std::to_string(kDrinkStatusLength));
    // A comment length byte cannot exceed the 255 characters its field holds.

    TDrink drink;
    drink.id = LoadInt32(record + kRecIdOffset);
    drink.name = ShortText(record + kRecNameOffset);
    std::optional<std::string> ingred = TextBlock(LoadInt32(record + kRecIngredOffset));
    std::optional<std::string> directions = TextBlock(LoadInt32(record + kRecDirectionsOffset));
    if (!ingred || !directions) return std::nullopt;
    drink.ingred = std::move(*ingred);
    drink.directions = std::move(*directions);
    drink.type = LoadInt32(record + kRecTypeOffset);
    drink.season = LoadInt32(record + kRecSeasonOffset);
    drink.glass = LoadInt32(record + kRecGlassOffset);
    drink.temp = LoadInt32(record + kRecTempOffset);
    drink.marked = LoadInt32(record + kRecMarkedOffset);
    drink.status = ShortText(record + kRecStatusOffset);
    drink.read_only = LoadInt32(record + kRecReadOnlyOffset);
    drink.comment = ShortText(record + kRecCommentOffset);
    return drink;
  }

  // The text of the block at |position|: empty for position 0, a position
  // inside the header or the records, or a length above 500; nullopt when
  // the block (its length or its bytes) reaches beyond the end of the file.
  std::optional<std::string> TextBlock(int32_t position) const {
    if (position <= 0 || static_cast<uint64_t>(position) < text_area_) return std::string();
    const uint64_t start = static_cast<uint64_t>(position);
    if (start + kTextBlockLengthSize > bytes_.size()) return std::nullopt;
    const uint16_t length = LoadUint16(bytes_.data() + start);
    if (length > kExchangeTextLimit) return std::string();
    if (start + kTextBlockLengthSize + length > bytes_.size()) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(bytes_.data() + start + kTextBlockLengthSize),
                     length);
    decodeField(reinterpret_cast<uint8_t*>(text.data()), text.size());
    return text;
  }

  const std::vector<uint8_t>& bytes_;
  uint64_t text_area_ = 0;  // where the text blocks may start
};

}  // namespace

EExchangeVersionError::EExchangeVersionError(char version)
    : EExchangeError(std::string("Error(") + version + "): " + kCannotImport + kLineBreak +
                     "This ZDR file is not compatable with this version of Zestoria"),
      version_(version) {}

TExchangeFile ParseExchangeFile(const std::vector<uint8_t>& bytes) {
  return TExchangeParser(bytes).Parse();
}

TExchangeFile ReadExchangeFile(const std::string& file_name) {
  tinydb::TMemoryStream stream;
  stream.LoadFromFile(file_name);
  return ParseExchangeFile(stream.Bytes());
}

}  // namespace zestoria
