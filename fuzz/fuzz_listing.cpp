// Arbitrary bytes as a directory listing from a server: reading it must never
// crash, and every entry it gives is one a remote list can show and act on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "publish/ftp_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvane;
  FtpListing listing;
  listing.currentYear = 2026;
  listing.Reset(std::string(reinterpret_cast<const char*>(data), size));
  for (size_t n = 0;; ++n) {
    const FtpEntry e = listing.NextEntry();
    if (e.kind == FtpEntryKind::none) {
      if (!e.name.empty()) std::abort();
      break;
    }
    // More entries than lines would mean a line read twice.
    if (n > size) std::abort();
    if (e.name.empty() || e.name == "." || e.name == ".." || e.size < 0) std::abort();
    if (e.name.find_first_of("\r\n") != std::string::npos) std::abort();
    const FtpDateTime& d = e.modified;
    if (d.valid && (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour < 0 || d.hour > 23 ||
                    d.minute < 0 || d.minute > 59))
      std::abort();
  }
  return 0;
}
