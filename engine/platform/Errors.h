// Exception classes shared by every layer of the engine.
//
// Engine errors travel up unchanged until a caller can act on them; each
// carries a fixed English message (the database name filled in where the
// message has a "%s").
#pragma once

#include <stdexcept>
#include <string>

namespace tinydb {

// Messages raised in more than one place.
constexpr char kGeneralError[] = "General error";
constexpr char kClosedDatabase[] = "Cannot perform this operation on a closed database";
constexpr char kTableNotFound[] = "Table '%s' not found";
constexpr char kFieldNotFound[] = "Field '%s' not found";
constexpr char kFieldNumberOutOfRange[] = "Field number %s is out of range";
constexpr char kRecordDoesNotExist[] = "Record %s does not exist";
constexpr char kBookmarkNotFound[] = "Bookmark not found";

// Base of every error raised by the engine and its platform layer.
class EEngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Error of the database framework: bad names, damaged files, failed checks.
class EDatabaseError : public EEngineError {
 public:
  using EEngineError::EEngineError;
};

// A text that does not convert to a number, date or time.
class EConvertError : public EEngineError {
 public:
  using EEngineError::EEngineError;
};

// Errors of the stream classes (positioned reads and writes, file opening).
class EStreamError : public EEngineError {
 public:
  using EEngineError::EEngineError;
};

// Fewer bytes than asked for could be read ("Stream read error").
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
  using EStreamError::EStreamError;
};

// Fewer bytes than asked for could be written ("Stream write error").
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
  using EStreamError::EStreamError;
};

// A file could not be opened or created.
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// Replaces the first "%s" of |pattern| with |arg| (the engine's messages
// carry at most one placeholder).
std::string FormatMessage(const std::string& pattern, const std::string& arg);

}  // namespace tinydb
