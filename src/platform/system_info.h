// Facts about the user's system that the engine reads.
#pragma once

#include <memory>
#include <string>

namespace tolvane {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // The login name, UTF-8.
  virtual std::string UserName() const = 0;
  virtual int ScreenPixelsPerInch() const = 0;
  // The code page of the user's single-byte character set (1252 here).
  virtual int AnsiCodePage() const = 0;
  // The user's documents folder, suggested when a folder cannot be written.
  virtual std::string DocumentsFolder() const = 0;
  // The system temporary folder.
  virtual std::string TemporaryFolder() const = 0;
  // Checked before web work: the machine has an address of its own besides
  // the loopback one. (There is no dial-up here: a connection is an address.)
  virtual bool HasNetworkAddress() const = 0;
};

// The real system: login name from the password database, $XDG_DOCUMENTS_DIR or
// ~/Documents, the temporary folder of the C++ library; 96 pixels per inch
// until a display says otherwise.
std::unique_ptr<SystemInfo> MakeHostSystemInfo();

}  // namespace tolvane
