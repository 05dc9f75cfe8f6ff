// Standard base64 (RFC 4648, with padding): the transport form of binary
// blob values in the tool's JSON records.
#pragma once

#include <optional>
#include <string>

namespace tdb {

// The base64 text of |bytes|.
std::string EncodeBase64(const std::string& bytes);

// The bytes of base64 |text|; nullopt when it is not well-formed (wrong
// length, a character outside the alphabet, misplaced padding, or
// non-zero bits after the last full byte).
std::optional<std::string> DecodeBase64(const std::string& text);

}  // namespace tdb
