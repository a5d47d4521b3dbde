// Writes N values into a settings file, one call each, as a running copy of
// the program would: the test starts two of these at once on the same file.
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/qt/qt_settings.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: settings_writer FILE PREFIX COUNT\n";
    return 2;
  }
  tolvane::IniSettings settings(argv[1]);
  int count = std::atoi(argv[3]);
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    // Each writer fills its own section and one shared section.
    failed += !settings.WriteValue(std::string("\\SOFTWARE\\Kelmori\\") + argv[2], "v" + n, n);
    failed += !settings.WriteValue("\\SOFTWARE\\Kelmori\\shared", std::string(argv[2]) + n, n);
  }
  return failed ? 1 : 0;
}
