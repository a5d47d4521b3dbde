#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/ui_hooks.h"
#include "richtext/markup_forms.h"

namespace tolvane {
namespace {

std::string Z(std::string_view s) { return std::string(s) + '\0'; }

struct FakeWorkingCopy : WorkingFormHost {
  std::set<uint32_t> live;
  std::vector<uint32_t> links, embedded;
  bool IsLiveObject(uint32_t id) override { return live.count(id) > 0; }
  uint32_t AddLinkCopy(uint32_t id) override {
    links.push_back(id);
    return static_cast<uint32_t>(links.size() - 1);
  }
  uint32_t AddEmbeddedCopy(uint32_t id) override {
    embedded.push_back(id);
    return static_cast<uint32_t>(embedded.size() - 1);
  }
};

struct FakeCommit : StoredFormHost {
  std::map<uint32_t, uint32_t> links, embedded;  // working position -> document id
  int linkCommits = 0;
  std::optional<uint32_t> CommitLink(uint32_t position) override {
    ++linkCommits;
    auto it = links.find(position);
    return it == links.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<uint32_t> CommitEmbedded(uint32_t number) override {
    auto it = embedded.find(number);
    return it == embedded.end() ? std::nullopt : std::optional(it->second);
  }
};

struct CountingUi : UiHooks {
  int waits = 0;
  void BeginWaitCursor() override { ++waits; }
};

TEST(MarkupForms, ToWorkingForm) {
  FakeWorkingCopy copy;
  copy.live = {0x01000004, 0x0A000001, 0x08000002, 0x0B000003};
  std::string working = ToWorkingForm(
      "<Z S0 >a<$01000004>b<%><$0a000001>c<%><$08000002><$0B000003><$0B000009><$00000007>d<$16000001>", copy);
  EXPECT_EQ(working, Z("<Z S0 >a<$6f000000>b<%><$6f000001>c<%><$FF000000><$FF000001>!!!!!!!!!!!<$00000007>d!!!!!!!!!!!"));
  EXPECT_EQ(copy.links, (std::vector<uint32_t>{0x01000004, 0x0A000001}));
  EXPECT_EQ(copy.embedded, (std::vector<uint32_t>{0x08000002, 0x0B000003}));
  // An empty text becomes one empty paragraph; a 0 byte is added only when missing.
  EXPECT_EQ(ToWorkingForm("", copy), Z("<Z S0 >"));
  EXPECT_EQ(ToWorkingForm(Z("<Z S0 >x"), copy), Z("<Z S0 >x"));
  // A tag cut short by the end of the text is left alone.
  EXPECT_EQ(ToWorkingForm("<Z S0 >x<$0100", copy), Z("<Z S0 >x<$0100"));
}

TEST(MarkupForms, ToStoredForm) {
  FakeCommit commit;
  commit.links = {{0, 0x01000004}, {1, 0x0A000002}};
  commit.embedded = {{0, 0x08000003}, {1, 0x0B000001}};
  std::string text = Z(
      "<Z S0 >a<$6f000000>b<%><$6f000005>c<%><Z S0 ><$6f000000>again<%><$FF000001><$FF000009><$00000003>x");
  ToStoredForm(text, commit);
  EXPECT_EQ(text, Z("<Z S0 >a<$01000004>b<%>###########c<%><Z S0 ><$01000004>again<%><$0b000001>###########"
                    "<$00000003>x"));
  EXPECT_EQ(commit.linkCommits, 2);  // the link seen again reuses its id
}

TEST(MarkupForms, DuplicateFontTagsBecomeControlBytes) {
  FakeCommit commit;
  commit.embedded = {{0, 0x08000003}, {1, 0x0B000001}};
  const std::string dup(7, '\x03');
  std::string text = Z(
      "<Z S0 ><Y y1 >a<$00000002>b<%><Y y1 >c<$FF000001><Y y1 >d<Y y2 >e<Y y1 >"  // after text, links, pictures
      "<Z S0 ><Y y1 >f"                                                                        // a new paragraph
      "<$FF000000><Y y1 >g<T><Y y1 >h<T><Y y1 >i");                                             // a table's cells, an end tag
  ToStoredForm(text, commit);
  EXPECT_EQ(text, Z("<Z S0 ><Y y1 >a<$00000002>b<%>" + dup + "c<$0b000001>" + dup + "d<Y y2 >e<Y y1 >"
                    "<Z S0 ><Y y1 >f"
                    "<$08000003><Y y1 >g<T><Y y1 >h<T><Y y1 >i"));
}

TEST(MarkupForms, LongTextsShowTheWaitCursor) {
  FakeCommit commit;
  CountingUi ui;
  std::string small = Z("<Z S0 >x"), large = "<Z S0 >" + std::string(1000001, 'x') + '\0';
  ToStoredForm(small, commit, &ui);
  EXPECT_EQ(ui.waits, 0);
  ToStoredForm(large, commit, &ui);
  EXPECT_EQ(ui.waits, 1);
}

}  // namespace
}  // namespace tolvane
