// The record a table leaves beside itself at a clean close, NAME.fit, saying that its tags fitted
// its records while its files stood as they stand: for each file (the table, its memo file, its
// group file, each tag's .ntx) its name and what the file system said of it. An open that finds
// every file exactly so, each last changed strictly before the record was written, may skip the
// survey of the tags. Anything else is no record at all: a missing, unreadable or garbled file,
// another list of files, a size, device, inode or time that differs, a file changed in the same
// clock tick as the record was written (a later change in that tick would not show).
//
// Layout, text: "xbase-fit 1", one line per file "NAME SIZE DEVICE INODE MODIFIED CHANGED" in
// decimal, then "crc" and the CRC-32 (8 hex digits) of the lines before it. Other xBase tools do
// not look at the file; it is no data: losing it only costs the next open a survey.
#pragma once

#include <string>
#include <vector>

#include "db/xbase/env.h"

namespace xbase {

struct FitEntry {
    std::string name;
    FileStat stat;
};

// The record's text for `entries`; and whether `text` is a whole record, giving its entries.
std::string fitRecordText(const std::vector<FitEntry>& entries);
bool parseFitRecord(const std::string& text, std::vector<FitEntry>* entries);

// Writes the record for `entries` to `temp` (created or emptied). Its modification time is the
// moment the files were stood for; `temp` then takes the record's place by renameFitRecord().
Status writeFitRecord(Env* env, const std::string& temp, const std::vector<FitEntry>& entries);
Status renameFitRecord(Env* env, const std::string& temp, const std::string& path);

// Whether the record at `path` names exactly `entries`, in order, each changed before the record
// was written.
bool fitRecordMatches(Env* env, const std::string& path, const std::vector<FitEntry>& entries);

// What the file system says of the file at `path` now.
Status statPath(Env* env, const std::string& path, FileStat* stat);

}  // namespace xbase
