// Directory listings as FTP servers send them: one entry per line, in the
// UNIX form ("-rw-r--r-- 1 u g 1234 Dec 11 13:45 name") or the DOS form
// ("12-11-26  01:45PM  <DIR>  name").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

enum class FtpEntryKind { none = 0, directory = 1, file = 2, link = 3 };

struct FtpDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool valid = false;
};

struct FtpEntry {
  FtpEntryKind kind = FtpEntryKind::none;
  std::string name;
  int32_t size = 0;
  FtpDateTime modified;
};

// One listing line; an empty entry (kind none) for "total" lines, lines of
// no known form and lines that do not parse. `currentYear` dates the UNIX
// lines that give a time of day instead of a year.
FtpEntry ParseListingLine(std::string_view line, int currentYear);

// A listing read line by line: the entries in order, without "." and "..".
class FtpListing {
 public:
  void Reset(std::string text);
  // The next entry, or an empty one when the lines run out.
  FtpEntry NextEntry();
  int currentYear = 0;  // 0: the clock's year

 private:
  std::string text_;
  std::vector<std::string> lines_;
  bool split_ = false;
  size_t next_ = 0;
};

}  // namespace tolvane
