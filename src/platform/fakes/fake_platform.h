// A whole platform of stand-ins: recorded messages, fixed system facts, an
// in-memory settings store, seeded randomness and the real disk behind a
// fault-injecting seam.
#pragma once

#include "platform/fakes/fault_file_system.h"
#include "platform/fakes/scripted_messages.h"
#include "platform/memory_settings.h"
#include "platform/platform.h"

namespace tolvane {

class FakeSystemInfo : public SystemInfo {
 public:
  std::string userName = "tester";
  int pixelsPerInch = 96;
  int codePage = 1252;
  std::string documents = "/home/tester/Documents";
  std::string temporary = "/tmp";
  bool networkAddress = true;

  std::string UserName() const override { return userName; }
  int ScreenPixelsPerInch() const override { return pixelsPerInch; }
  int AnsiCodePage() const override { return codePage; }
  std::string DocumentsFolder() const override { return documents; }
  std::string TemporaryFolder() const override { return temporary; }
  bool HasNetworkAddress() const override { return networkAddress; }
};

class FakePlatform {
 public:
  explicit FakePlatform(uint64_t seed = 1)
      : files(MakePosixFileSystem()), random(MakeSeededRandom(seed)) {}

  ScriptedMessages messages;
  UiHooks ui;
  FakeSystemInfo system;
  FaultFileSystem files;
  std::unique_ptr<RandomSource> random;
  MemorySettings settings;

  Platform platform() { return Platform{messages, ui, system, files, *random, settings}; }
};

}  // namespace tolvane
