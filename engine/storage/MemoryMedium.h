// Names of memory-medium databases. A database image held in a memory
// stream is named ":" followed by 8 upper-case hexadecimal digits. The
// digits are a small number under which the stream is registered in a
// process-wide table; a name is never turned back into an address, so a
// stale or made-up name can only fail to find a stream.
#pragma once

#include <string>

#include "platform/Streams.h"

namespace tinydb {

// The name of |stream|: ":" + its registration number as 8 upper-case hex
// digits. Registers the stream on first use; later calls for the same
// stream return the same name. The caller keeps the stream alive until
// UnregisterMemoryStream (or for the life of the process). Thread-safe.
std::string MemoryStreamToDatabaseName(TMemoryStream* stream);

// Forgets |stream|; its name then names no stream. Unknown streams are
// ignored. Thread-safe.
void UnregisterMemoryStream(TMemoryStream* stream);

// True when |name| is ":" followed only by hexadecimal digits (0-9, A-F,
// a-f), possibly none. Says nothing about whether a stream is registered.
bool IsMemoryDatabaseName(const std::string& name);

// The registered stream a well-formed name denotes (digits in either case,
// leading zeros allowed), or nullptr: for a malformed name, for ":" alone,
// for a number that does not fit 32 bits, and for a number no registered
// stream holds. Thread-safe.
TMemoryStream* DatabaseNameToMemoryStream(const std::string& name);

}  // namespace tinydb
