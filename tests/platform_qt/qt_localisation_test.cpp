#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>

#include "platform/qt/qt_localisation.h"

namespace tolvane {
namespace {

template <class T>
T* Named(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(name);
  return w;
}

struct Dialog {
  QDialog form;
  QPushButton* ok = Named<QPushButton>(&form, "BOk");
  QLabel* label = Named<QLabel>(&form, "LServer");
  QGroupBox* group = Named<QGroupBox>(&form, "GMode");
  QComboBox* combo = Named<QComboBox>(&form, "CMode");
  QListWidget* list = Named<QListWidget>(&form, "LFiles");
  QTreeWidget* tree = Named<QTreeWidget>(&form, "TRows");
  QLineEdit* edit = Named<QLineEdit>(&form, "EHost");
  QPlainTextEdit* memo = Named<QPlainTextEdit>(&form, "MNotes");
  QTabWidget* tabs = Named<QTabWidget>(&form, "Pages");
  QWidget* general = new QWidget;
  QMenu* menu = Named<QMenu>(&form, "File1");
  QAction* open = new QAction(menu);

  Dialog() {
    form.setObjectName("Fftp");
    form.setWindowTitle("Trasferimento");
    ok->setText("Avanti");
    ok->setToolTip("Vai");
    label->setText("Server");
    group->setTitle("Modo");
    combo->addItems({"Passivo", "Attivo", "Sicuro"});
    combo->setCurrentIndex(1);
    list->addItems({"uno", "due"});
    tree->setHeaderLabels({"Nome", "Data", "Misura"});
    edit->setPlaceholderText("nome del server");
    memo->setPlainText("riga uno\nriga due");
    general->setObjectName("TabGen");
    tabs->addTab(general, "Generale");
    tabs->addTab(new QWidget, "Altro");
    open->setObjectName("Apri1");
    open->setText("Apri");
    menu->setTitle("File");
    menu->addAction(open);
  }
};

TEST(QtLocalisation, MapsTheDescribedPropertiesOntoWidgets) {
  Dialog d;
  const std::string para = "\xC2\xA7";
  LocaliseForm(d.form,
               "*_*fftp_caption\r\n Transfert\r\n"
               "*_*BOK_CAPTION\r\n D''accord\r\n"
               "*_*bok_hint\r\n Aller\r\n"
               "*_*lserver_caption\r\n Serveur\r\n"
               "*_*gmode_caption\r\n Mode\r\n"
               "*_.cmode_items*count\r\n 3\r\n*_.cmode_items*item0\r\n Passif\r\n*_.cmode_items*item1\r\n Actif\r\n"
               "*_.lfiles_items*count\r\n 1\r\n*_.lfiles_items*item0\r\n un\r\n"
               "*_.trows_columns*count\r\n 3\r\n*_.trows_columns*item0\r\n Nom\r\n*_.trows_columns*item2\r\n Taille\r\n"
               "*_*ehost_placeholdertext\r\n nom du serveur\r\n"
               "*_.mnotes_lines*count\r\n 2\r\n*_.mnotes_lines*item1\r\n ligne deux\r\n"
               "*_*tabgen_caption\r\n G\xC3\xA9n\xC3\xA9ral\r\n"
               "*_*file1_caption\r\n Fichier\r\n"
               "*_*apri1_caption\r\n Ouvrir" + para + "!...\r\n"
               "*_*apri1_hint\r\n Ouvre un hypertexte\r\n");
  EXPECT_EQ(d.form.windowTitle(), "Transfert");
  EXPECT_EQ(d.ok->text(), "D'accord");
  EXPECT_EQ(d.ok->toolTip(), "Aller");
  EXPECT_EQ(d.label->text(), "Serveur");
  EXPECT_EQ(d.group->title(), "Mode");
  ASSERT_EQ(d.combo->count(), 3);
  EXPECT_EQ(d.combo->itemText(0), "Passif");
  EXPECT_EQ(d.combo->itemText(2), "Sicuro");  // no line: the base text stays
  EXPECT_EQ(d.combo->currentIndex(), 1);      // the choice survives
  ASSERT_EQ(d.list->count(), 1);
  EXPECT_EQ(d.list->item(0)->text(), "un");
  EXPECT_EQ(d.tree->headerItem()->text(0), "Nom");
  EXPECT_EQ(d.tree->headerItem()->text(1), "Data");
  EXPECT_EQ(d.tree->headerItem()->text(2), "Taille");
  EXPECT_EQ(d.edit->placeholderText(), "nom du serveur");
  EXPECT_EQ(d.memo->toPlainText(), "riga uno\nligne deux");
  EXPECT_EQ(d.tabs->tabText(0), QString::fromUtf8("G\xC3\xA9n\xC3\xA9ral"));
  EXPECT_EQ(d.tabs->tabText(1), "Altro");
  EXPECT_EQ(d.menu->title(), "Fichier");
  EXPECT_EQ(d.open->text(), "Ouvrir\r\n...");
  EXPECT_EQ(d.open->toolTip(), "Ouvre un hypertexte");
}

TEST(QtLocalisation, PropertyListAndDestroyedWidgets) {
  Dialog d;
  QtLocalisableTree tree(d.form);
  TNyLanguager languager(tree);
  tree.SetLanguager(&languager);
  const auto& paths = languager.PropertiesList();
  for (const char* p : {"fftp.caption", "bok.caption", "bok.hint", "cmode.items", "trows.columns",
                        "ehost.placeholdertext", "mnotes.lines", "apri1.caption"})
    EXPECT_NE(std::find(paths.begin(), paths.end(), p), paths.end()) << p;
  // A menu item offers caption, text and hint only.
  EXPECT_EQ(std::find(paths.begin(), paths.end(), "apri1.statustip"), paths.end());
  delete d.ok;
  EXPECT_EQ(std::find(paths.begin(), paths.end(), "bok.caption"), paths.end());
  languager.SetLocalizationString("*_*bok_caption\r\n OK\r\n*_*lserver_caption\r\n Serveur\r\n");
  EXPECT_EQ(d.label->text(), "Serveur");
}

}  // namespace
}  // namespace tolvane
