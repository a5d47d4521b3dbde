// The surroundings a markup fuzz run reads against: a new document's styles,
// the fixed-metrics measurer, messages that go nowhere, and a few embedded
// objects, one of them a table whose cells follow its tag.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "model/document.h"
#include "platform/fakes/fake_platform.h"
#include "platform/fakes/fake_text_measurer.h"
#include "platform/fakes/silent_messages.h"
#include "richtext/document_markup_host.h"
#include "stand_in_object.h"

namespace tolvane {

struct MarkupFuzzHost {
  MarkupFuzzHost() {
    doc.New();
    TYKAoggetto* s = doc.CreateObject(stileParagrafo);
    s->SetCaption("Titre");
    for (int n = 0; n < 4; ++n) objects[n] = std::make_unique<testing::StandInObject>(n, 40, 20, n == 3 ? 2 : 0);
  }
  FakePlatform fake;
  TYKAset doc{fake.platform()};
  FakeTextMeasurer measurer;
  SilentMessages messages{Answer::No};
  std::map<int, std::unique_ptr<testing::StandInObject>> objects;
  DocumentMarkupHost host{doc, measurer, messages, [this](int32_t n) -> MarkupObject* {
                            auto it = objects.find(n);
                            return it == objects.end() ? nullptr : it->second.get();
                          }};
};

}  // namespace tolvane
