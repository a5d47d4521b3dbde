#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "localisation/languager.h"
#include "localisation/localisation_text.h"

using namespace tolvane;

namespace {

const std::string kPara = "\xC2\xA7";  // the section sign, as the tables write it

TEST(LocalisationText, DecodesAndEncodesValues) {
  struct Case {
    std::string stored, text;
  } cases[] = {
      {"l''aide", "l'aide"},
      {"une" + kPara + "!deux", "une\r\ndeux"},
      {"10 " + kPara + kPara + " 2", "10 " + kPara + " 2"},
      {"", ""},
      {"''''", "''"},
      {kPara + "!" + kPara + "!", "\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeLocalisedValue(c.stored), c.text) << c.stored;
    EXPECT_EQ(EncodeLocalisedValue(c.text), c.stored) << c.stored;
  }
  // Forms the writer never produces: a lone apostrophe stands for itself,
  // a section sign before anything else is dropped, and so is one at the end.
  EXPECT_EQ(DecodeLocalisedValue("it's"), "it's");
  EXPECT_EQ(DecodeLocalisedValue("a" + kPara + "b"), "ab");
  EXPECT_EQ(DecodeLocalisedValue("a" + kPara), "a");
  EXPECT_EQ(EncodeLocalisedValue("a\nb"), "a" + kPara + "!b");
}

TEST(LocalisationText, TableTakesValueLinesAfterKeyLines) {
  LocalisationTable table("*_*fftp_caption\r\n Envoi''s\r\n*_*BOK_Caption\r\n OK\n*_*last_caption");
  ASSERT_NE(table.Find("*_*fftp_caption"), nullptr);
  EXPECT_EQ(*table.Find("*_*fftp_caption"), "Envoi's");
  ASSERT_NE(table.Find("*_*bok_caption"), nullptr);  // keys compare in lower case
  EXPECT_EQ(*table.Find("*_*bok_caption"), "OK");
  EXPECT_EQ(table.Find("*_*last_caption"), nullptr);  // a key line that ends the text
  EXPECT_EQ(SimplePropertyKey("BOk", "Caption"), "*_*bok_caption");
  EXPECT_EQ(ListPropertyKey("LBox", "Items", "item3"), "*_.lbox_items*item3");
}

class FakeComponent : public LocalisableComponent {
 public:
  FakeComponent(std::string name, ComponentRole role) : name_(std::move(name)), role_(role) {}
  std::string Name() const override { return name_; }
  ComponentRole Role() const override { return role_; }
  std::vector<ComponentProperty> Properties() const override {
    std::vector<ComponentProperty> out;
    for (const auto& [k, v] : texts) out.push_back({k, false});
    for (const auto& [k, v] : lists) out.push_back({k, true});
    return out;
  }
  std::vector<std::string> ReadList(std::string_view p) const override { return lists.at(std::string(p)); }
  bool WriteText(std::string_view p, const std::string& text) override {
    if (refuses.count(std::string(p))) return false;
    texts[std::string(p)] = text;
    ++writes;
    return true;
  }
  bool WriteList(std::string_view p, const std::vector<std::string>& items) override {
    lists[std::string(p)] = items;
    ++writes;
    return true;
  }
  std::map<std::string, std::string> texts;
  std::map<std::string, std::vector<std::string>> lists;
  std::set<std::string> refuses;
  int writes = 0;

 private:
  std::string name_;
  ComponentRole role_;
};

class FakeForm : public LocalisableTree {
 public:
  FakeForm() : form("Fftp", ComponentRole::Form) {}
  LocalisableComponent& Owner() override { return form; }
  std::vector<LocalisableComponent*> Components() override {
    std::vector<LocalisableComponent*> out;
    for (auto& c : parts) out.push_back(c.get());
    return out;
  }
  FakeComponent& Add(std::string name, ComponentRole role = ComponentRole::Other) {
    parts.push_back(std::make_unique<FakeComponent>(std::move(name), role));
    return *parts.back();
  }
  FakeComponent form;
  std::vector<std::unique_ptr<FakeComponent>> parts;
};

TEST(Languager, AppliesCaptionsAndKeepsBaseTexts) {
  FakeForm f;
  f.form.texts = {{"Caption", "Trasferimento"}, {"Hint", "base"}, {"Filter", "*.x"}};
  auto& ok = f.Add("BOk");
  ok.texts = {{"Caption", "Avanti"}, {"Hint", "suggerimento"}, {"PlaceholderText", "nome"}};
  auto& menu = f.Add("Apri1", ComponentRole::MenuItem);
  menu.texts = {{"Caption", "Apri"}, {"ShortCut", "Ctrl+O"}};
  const std::string text =
      "*_*fftp_caption\r\n Transfert\r\n"
      "*_*fftp_filter\r\n *.y\r\n"  // forms localise caption, text and hint only
      "*_*BOK_CAPTION\r\n D''accord\r\n"
      "*_*bok_placeholdertext\r\n nom\r\n"
      "*_*apri1_caption\r\n Ouvrir" + kPara + "!fichier\r\n"
      "*_*apri1_shortcut\r\n Ctrl+P\r\n"
      "*_*bok_hint";  // a key line that ends the text: no value
  TNyLanguager languager(f);
  languager.SetLocalizationString(text);
  EXPECT_EQ(f.form.texts["Caption"], "Transfert");
  EXPECT_EQ(f.form.texts["Hint"], "base");
  EXPECT_EQ(f.form.texts["Filter"], "*.x");
  EXPECT_EQ(ok.texts["Caption"], "D'accord");
  EXPECT_EQ(ok.texts["PlaceholderText"], "nom");
  EXPECT_EQ(ok.texts["Hint"], "suggerimento");
  EXPECT_EQ(menu.texts["Caption"], "Ouvrir\r\nfichier");
  EXPECT_EQ(menu.texts["ShortCut"], "Ctrl+O");
}

TEST(Languager, ListsTakeCountAndItemsAndKeepMissingItems) {
  FakeForm f;
  auto& box = f.Add("LBox");
  box.lists = {{"Items", {"uno", "due", "tre"}}, {"Columns", {"Nome", "Data"}}};
  auto& combo = f.Add("CBox");
  combo.lists = {{"Items", {"a", "b", "c", "d"}}};
  TNyLanguager languager(f);
  languager.SetLocalizationString(
      "*_.lbox_items*count\r\n 4\r\n*_.lbox_items*item0\r\n un\r\n*_.lbox_items*item3\r\n quatre\r\n"
      "*_.lbox_columns*item0\r\n Nom\r\n"  // no count: unchanged
      "*_.cbox_items*count\r\n 2\r\n*_.cbox_items*item1\r\n B\r\n");
  EXPECT_EQ(box.lists["Items"], (std::vector<std::string>{"un", "due", "tre", "quatre"}));
  EXPECT_EQ(box.lists["Columns"], (std::vector<std::string>{"Nome", "Data"}));
  EXPECT_EQ(combo.lists["Items"], (std::vector<std::string>{"a", "B"}));
}

TEST(Languager, StopsQuietlyAtTheFirstError) {
  for (const std::string& bad : {std::string("*_.lbox_items*count\r\n many\r\n"), std::string("*_*lbox_caption\r\n x\r\n")}) {
    FakeForm f;
    auto& first = f.Add("LBox");
    first.lists = {{"Items", {"uno"}}};
    first.texts = {{"Caption", "base"}};
    first.refuses = {"Caption"};
    auto& later = f.Add("Later");
    later.texts = {{"Caption", "dopo"}};
    TNyLanguager languager(f);
    languager.SetLocalizationString(bad + "*_*later_caption\r\n après\r\n");
    EXPECT_EQ(later.texts["Caption"], "dopo") << bad;
    EXPECT_EQ(first.lists["Items"], std::vector<std::string>{"uno"}) << bad;
  }
}

TEST(Languager, PropertiesListAndRemovedComponents) {
  FakeForm f;
  f.form.texts = {{"Caption", ""}, {"Color", ""}};
  f.Add("BOk").texts = {{"Caption", ""}};
  auto& gone = f.Add("LBox");
  gone.lists = {{"Items", {}}};
  TNyLanguager languager(f);
  EXPECT_EQ(languager.PropertiesList(),
            (std::vector<std::string>{"fftp.caption", "bok.caption", "lbox.items"}));
  languager.ComponentRemoved(&gone);
  f.parts.pop_back();  // destroyed: the languager must not touch it any more
  EXPECT_EQ(languager.PropertiesList(), (std::vector<std::string>{"fftp.caption", "bok.caption"}));
  languager.SetLocalizationString("*_.lbox_items*count\r\n 1\r\n*_*bok_caption\r\n OK\r\n");
  EXPECT_EQ(f.parts[0]->texts["Caption"], "OK");
}

}  // namespace
