// The rollback journal: before a file is changed in place, the old bytes of
// every range about to be overwritten and the file's length before the
// change go into "<file>-journal" beside it. A crash during the in-place
// write leaves the journal behind; whoever opens the file next puts the old
// bytes back and cuts the file to its old length, so the file is exactly the
// one before the interrupted change.
//
// Journal layout (every integer little-endian):
//   0  8  signature "TDBJRNL\x1a"
//   8  4  version (1)
//  12  4  range count
//  16  8  old length: the file's length before the change
//  24  8  old bytes: the sum of the range lengths
//  32     per range, in increasing order of position, none overlapping:
//         8 position, 8 length, then the length's old bytes
//  end-4 4 CRC-32 (zlib's) of every byte before it
//
// A journal belongs to the file it is named after when every range lies
// within the old length and the file still holds every byte the journal
// does not: the file is at least the old length long, or the ranges hold
// the bytes between its length and the old length. A journal that is torn,
// damaged (its checksum fails) or does not belong (positions, lengths or
// counts that do not add up) is never applied.
//
// The journal appears under its name only whole: it is written to
// "<file>-journal.tmp", flushed and renamed, and the folder is flushed, so a
// crash while it is written leaves no journal and an untouched file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Streams.h"

namespace tinydb {

// A journal was found that cannot be applied; the file is left as it was.
// The message names the journal and what is wrong with it.
class EJournalError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// Old bytes of the file at |position|.
struct TJournalRange {
  int64_t position = 0;
  std::vector<uint8_t> bytes;
};

// What RecoverFromJournal did.
struct TJournalRecovery {
  bool rolled_back = false;  // false: there was no journal
  int64_t old_length = 0;    // the length the file was cut back to
  int64_t ranges = 0;        // the ranges put back
  int64_t bytes = 0;         // the old bytes put back
};

// |file_name| + "-journal".
std::string JournalFileName(const std::string& file_name);

// True when a journal lies beside |file_name|.
bool JournalExists(const std::string& file_name);

// Writes the journal of |file_name|: the file's length before the change
// and the old bytes of every range about to be overwritten (in increasing
// order, none overlapping, each within |old_length|). Flushes the journal
// and the folder. Throws EFOpenError or EWriteError naming the journal and
// the reason; then no journal is left.
void WriteJournal(const std::string& file_name, int64_t old_length,
                  const std::vector<TJournalRange>& ranges);

// Removes the journal of |file_name| (none is fine) and flushes the folder.
// Throws EWriteError naming the journal when it cannot be removed.
void RemoveJournal(const std::string& file_name);

// Rolls |file_name| back by its journal when there is one: puts the old
// bytes back, cuts the file to its old length, flushes it and removes the
// journal. A journal that is torn, damaged or does not belong to the file
// throws EJournalError and leaves both files as they are; a failure to read
// or write throws EFOpenError or EWriteError and keeps the journal, so the
// next opener tries again.
TJournalRecovery RecoverFromJournal(const std::string& file_name);

// How SaveImageChanges wrote the image.
enum class TImageSave { isJournaled, isWhole };

// Writes |image| over |file_name| so that a crash at any moment leaves the
// file as it was or as the image is. A journal already beside the file is
// rolled back first (one that is refused throws EJournalError and nothing
// is written). When the file is the one the image was last loaded from or
// saved to (same identity) and the image has a saved base, only what
// changed is written: the journal of the changed ranges' old bytes and the
// old length, then the changed ranges and the appended tail in place, a
// flush, and the journal removed. Otherwise, or when the journal cannot be
// written, the whole image is saved atomically (TMemoryStream::SaveToFile,
// over a link's target, so a link stays a link). A read-only file or a
// failed write throws EFOpenError or EWriteError with
// Cannot create file "<file_name>". <reason>; the file is then unchanged or
// rolled back (else its journal stays for the next opener), and the image
// keeps every change for the next save.
TImageSave SaveImageChanges(TMemoryStream& image, const std::string& file_name);

}  // namespace tinydb
