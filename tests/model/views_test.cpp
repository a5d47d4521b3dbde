#include <gtest/gtest.h>

#include "model/object_list.h"
#include "model/ordered_tree.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

std::vector<std::string> Outline(const TYKAorderedTree& tree) {
  std::vector<std::string> out;
  std::function<void(const TreeNode&)> walk = [&](const TreeNode& n) {
    out.push_back(std::string(static_cast<size_t>(2 * n.Level()), ' ') + n.caption);
    for (const auto& c : n.children) walk(*c);
  };
  for (const auto& n : tree.Nodes()) walk(*n);
  return out;
}

struct Pages : DocFixture {
  Pages() {
    for (const char* title : {"Accueil", "Produits", "Contact"}) doc->CreatePage()->SetCaption(title);
    EXPECT_TRUE(doc->Save(dir / "site.yka"));
  }
};

TEST(PageTree, DefaultTreeIsStored) {
  Pages p;
  TYKAorderedTree tree(*p.doc, testoHtml);
  tree.Load();
  EXPECT_EQ(Outline(tree), (std::vector<std::string>{"site.yka", "  Accueil", "  Produits", "  Contact"}));
  Bytes content;
  ASSERT_TRUE(p.doc->PageTreeObject()->ReadContent(content));
  EXPECT_EQ(AsText(content), "a0,-2,site.yka\r\na1,0,x\r\na1,1,x\r\na1,2,x\r\n");
}

TEST(PageTree, ParsingLevelsAndBadLines) {
  Pages p;
  p.doc->PageTreeObject()->SetContentText(
      "a0,-2,Racine\r\na1,-3,Chapitre, avec virgule\r\na2,1,x\r\na4,2,x\r\nb1,0,x\r\na1,0,x\r\na1,40,x\r\na1,-1,Note\r\n");
  TYKAorderedTree tree(*p.doc, testoHtml);
  tree.Load();
  EXPECT_EQ(Outline(tree), (std::vector<std::string>{"Racine", "  Chapitre, avec virgule", "    Produits",
                                                     "      Contact", "  Accueil", "  *", "  Note"}));
  EXPECT_EQ(p.fake.messages.Texts(), (std::vector<std::string>{"error decoding nodes", "error loading nodes"}));
  EXPECT_EQ(tree.Root()->children[1]->id, 0);
  EXPECT_EQ(tree.Root()->children[2]->type, TreeNode::Type::Missing);
}

TEST(PageTree, VeryDeepTreesAreFlattened) {
  Pages p;
  std::string text = "a0,-2,Racine\r\n";
  for (int level = 1; level <= 5000; ++level) text += "a" + std::to_string(level) + ",-1,n\r\n";
  p.doc->PageTreeObject()->SetContentText(text);
  TYKAorderedTree tree(*p.doc, testoHtml);
  tree.Load();
  EXPECT_EQ(tree.Lines().size(), 5001u);
  EXPECT_EQ(tree.Lines().back(), "a64,-1,n");
  EXPECT_EQ(p.fake.messages.Texts(), std::vector<std::string>{"error loading nodes"});
}

TEST(PageTree, Editing) {
  Pages p;
  TYKAorderedTree tree(*p.doc, testoHtml);
  tree.Load();
  TreeNode* root = tree.Root();
  TreeNode* accueil = root->children[0].get();
  TreeNode* contact = root->children[2].get();
  TreeNode* chapter = tree.NewChapter(accueil, "Chapitre");  // beside the selected page
  EXPECT_EQ(root->children[1].get(), chapter);
  EXPECT_TRUE(tree.Move(contact, chapter));                      // onto a chapter: its last child
  EXPECT_FALSE(tree.Move(chapter, contact));                     // not into itself
  EXPECT_FALSE(tree.Move(root, chapter));                        // the root stays
  EXPECT_TRUE(tree.Move(root->children[2].get(), accueil));      // onto a page: just before it
  EXPECT_TRUE(tree.MoveDown(root->children[0].get()));
  EXPECT_FALSE(tree.MoveUp(root->children[0].get()));
  EXPECT_FALSE(tree.Rename(accueil, "autre"));  // page nodes show the page title
  EXPECT_TRUE(tree.Rename(chapter, "Catalogue"));
  EXPECT_NE(tree.NewObjectNode(chapter, 1), nullptr);
  EXPECT_EQ(tree.NewObjectNode(chapter, 77), nullptr);
  EXPECT_EQ(Outline(tree), (std::vector<std::string>{"site.yka", "  Accueil", "  Produits", "  Catalogue",
                                                     "    Contact", "    Produits"}));
  int deleted = 0;
  tree.OnAfterDel = [&] { ++deleted; };
  EXPECT_FALSE(tree.Delete(root));
  EXPECT_TRUE(tree.Delete(chapter));
  EXPECT_EQ(deleted, 1);

  // What was stored reads back the same.
  TYKAorderedTree again(*p.doc, testoHtml);
  again.Load();
  EXPECT_EQ(Outline(again), (std::vector<std::string>{"site.yka", "  Accueil", "  Produits"}));
  again.editable = false;
  EXPECT_EQ(again.NewChapter(nullptr, "x"), nullptr);
}

TEST(PrototypeTree, DeletingAsksAndRenamingRenamesTheObject) {
  DocFixture f;
  TYKAoggetto* proto = f.doc->CreateObject(custom);
  TYKAorderedTree tree(*f.doc, custom);
  tree.Load();
  TreeNode* node = tree.Root()->children[0].get();
  std::string renamed;
  tree.OnRenameItem = [&](TreeNode& n) { renamed = n.caption; };
  EXPECT_TRUE(tree.Rename(node, "Galerie"));
  EXPECT_EQ(proto->ObjectCaption(), "Galerie");
  EXPECT_EQ(renamed, "Galerie");
  tree.OnDel = [](TreeNode&) { return false; };
  EXPECT_FALSE(tree.Delete(node));
  EXPECT_NE(f.doc->PrototypeTreeObject(), f.doc->PageTreeObject());
}

TEST(ObjectList, ItemsIconsAndOrder) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  for (const char* a : {"http://b.example/", "mailto:x@y.example", "tolvane://other.yka|1", "tolvane:a.yka"}) doc.Register(doc.AddAddressLink(a));
  TYKAListView links(doc, internetLink);
  int reloads = 0;
  links.OnReload = [&] { ++reloads; };
  links.Reload();
  ASSERT_EQ(links.Items().size(), 3u);  // "tolvane://" addresses are not listed
  EXPECT_EQ(reloads, 1);
  links.SortByColumn(0);
  EXPECT_EQ(links.Items()[0].icon, ItemIcon::WebAddress);
  EXPECT_EQ(links.Items()[1].icon, ItemIcon::MailAddress);
  EXPECT_EQ(links.Items()[2].icon, ItemIcon::HypertextAddress);
  links.SortByColumn(-1);  // by size, reversed: all sizes are 0, so the order stays
  EXPECT_EQ(links.FindNext("MAIL", -1), 1);
  EXPECT_EQ(links.FindNext("example", 1), 0);  // wraps around
  EXPECT_EQ(links.FindNext("absent", 0), -1);

  for (auto [name, size] : std::vector<std::pair<const char*, int>>{{"b.zip", 30}, {"a.pdf", 5}, {"c.gif", 200}}) {
    TYKAoggetto* file = doc.CreateObject(genLink);
    file->SetCaption(name);
    file->SetContent(Bytes(static_cast<size_t>(size), 0));
  }
  TYKAListView files(doc, genLink);
  files.Reload();  // sorted by size
  EXPECT_EQ(files.Items()[0].caption, "a.pdf");
  EXPECT_EQ(files.Items()[0].icon, ItemIcon::Document);
  EXPECT_EQ(files.Items()[2].icon, ItemIcon::Picture);
  files.SortByColumn(-2);  // file name, reversed
  EXPECT_EQ(files.Items()[0].caption, "c.gif");

  doc.CreatePage();
  doc.CreatePage();
  TYKAListView pages(doc, testoHtml);
  pages.OnFilter = [](TYKAoggetto& o, bool& include) { include = o.Slot() == 1; };
  pages.Reload();
  ASSERT_EQ(pages.Items().size(), 1u);
  EXPECT_EQ(pages.Items()[0].subItems[2], "1 (000001)");

  TYKAoggetto* hidden = doc.CreateObject(dbloc);
  TYKAoggetto* shown = doc.CreateObject(dbloc);
  shown->SetU8(dbloc_rec::kRole, 11);
  (void)hidden;
  TYKAListView bags(doc, dbloc);
  bags.Reload();
  ASSERT_EQ(bags.Items().size(), 1u);
  EXPECT_EQ(bags.Items()[0].id, shown->ObjectId());
}

TEST(ObjectList, RenamingAndDeleting) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  for (const char* k : {"maison", "jardin"}) doc.CreateObject(keyword)->SetCaption(k);
  TYKAListView words(doc, keyword);
  words.Reload();
  words.SortByColumn(0);  // jardin, maison
  EXPECT_TRUE(words.Rename(0, "Maison"));  // taken: made unique
  EXPECT_EQ(words.Items()[0].caption, "Maison 1");
  EXPECT_TRUE(words.Rename(1, "MAISON"));  // only the letter case changes
  EXPECT_EQ(words.Items()[1].caption, "MAISON");
  words.OnDel = [](const ListItem& item, bool& allow) { allow = item.caption != "MAISON"; };
  EXPECT_FALSE(words.Delete(1));
  EXPECT_TRUE(words.Delete(0));
  EXPECT_EQ(doc.KindCountInUse(keyword), 1);
  words.readOnly = true;
  EXPECT_FALSE(words.Rename(0, "x"));
}

}  // namespace
}  // namespace tolvane
