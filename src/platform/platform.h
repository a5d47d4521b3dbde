// The services of the platform layer that the engine reaches, bundled so that
// a document or an operation can be handed all of them at once.
#pragma once

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/random.h"
#include "platform/settings_backend.h"
#include "platform/system_info.h"
#include "platform/ui_hooks.h"

namespace tolvane {

struct Platform {
  MessageBoxes& messages;
  UiHooks& ui;
  SystemInfo& system;
  FileSystem& files;
  RandomSource& random;
  SettingsBackend& settings;
};

}  // namespace tolvane
