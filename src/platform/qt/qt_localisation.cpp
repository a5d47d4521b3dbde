#include "platform/qt/qt_localisation.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVariant>

namespace tolvane {
namespace {

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string S(const QString& text) { return text.toUtf8().toStdString(); }

bool Same(std::string_view a, const char* b) {
  return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())).compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The tab widget whose page `w` is, and the page's index there.
QTabWidget* TabOwner(QObject* w, int* index) {
  auto* widget = qobject_cast<QWidget*>(w);
  if (!widget) return nullptr;
  auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
  auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  if (!tabs) return nullptr;
  *index = tabs->indexOf(widget);
  return *index >= 0 ? tabs : nullptr;
}

// Extra published texts, by their Qt names.
constexpr const char* kExtraTexts[] = {"placeholderText", "statusTip", "whatsThis"};

}  // namespace

class QtLocalisableTree::Component : public LocalisableComponent {
 public:
  Component(QObject* object, bool isForm) : object_(object), isForm_(isForm) {}
  QObject* object() const { return object_; }

  std::string Name() const override { return object_ ? S(object_->objectName()) : std::string(); }
  ComponentRole Role() const override {
    if (isForm_) return ComponentRole::Form;
    if (qobject_cast<QAction*>(object_) || qobject_cast<QMenu*>(object_)) return ComponentRole::MenuItem;
    return ComponentRole::Other;
  }

  std::vector<ComponentProperty> Properties() const override {
    std::vector<ComponentProperty> out;
    QObject* o = object_;
    if (!o) return out;
    out.push_back({"caption", false});
    out.push_back({"hint", false});
    if (qobject_cast<QLineEdit*>(o) || qobject_cast<QLabel*>(o) || qobject_cast<QAbstractButton*>(o) ||
        qobject_cast<QAction*>(o) || qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QTextEdit*>(o) ||
        (qobject_cast<QComboBox*>(o) && static_cast<QComboBox*>(o)->isEditable()))
      out.push_back({"text", false});
    if (qobject_cast<QComboBox*>(o) || qobject_cast<QListWidget*>(o)) {
      out.push_back({"items", true});
      out.push_back({"strings", true});
    }
    if (qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QTextEdit*>(o)) out.push_back({"lines", true});
    if (qobject_cast<QTreeWidget*>(o) || qobject_cast<QTableWidget*>(o)) out.push_back({"columns", true});
    if (qobject_cast<QTabWidget*>(o)) out.push_back({"tabs", true});
    if (o->property("filter").isValid()) out.push_back({"filter", false});
    const QMetaObject* meta = o->metaObject();
    for (const char* name : kExtraTexts) {
      int i = meta->indexOfProperty(name);
      if (i >= 0 && meta->property(i).isWritable()) out.push_back({name, false});
    }
    return out;
  }

  std::vector<std::string> ReadList(std::string_view property) const override {
    std::vector<std::string> out;
    QObject* o = object_;
    if (auto* c = qobject_cast<QComboBox*>(o)) {
      for (int i = 0; i < c->count(); ++i) out.push_back(S(c->itemText(i)));
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
      for (int i = 0; i < l->count(); ++i) out.push_back(S(l->item(i)->text()));
    } else if (Same(property, "lines")) {
      QString text = qobject_cast<QPlainTextEdit*>(o) ? static_cast<QPlainTextEdit*>(o)->toPlainText()
                     : qobject_cast<QTextEdit*>(o)    ? static_cast<QTextEdit*>(o)->toPlainText()
                                                      : QString();
      if (!text.isEmpty())
        for (const auto& line : text.split('\n')) out.push_back(S(line));
    } else if (auto* t = qobject_cast<QTreeWidget*>(o)) {
      for (int i = 0; i < t->columnCount(); ++i) out.push_back(S(t->headerItem()->text(i)));
    } else if (auto* tw = qobject_cast<QTableWidget*>(o)) {
      for (int i = 0; i < tw->columnCount(); ++i) {
        auto* item = tw->horizontalHeaderItem(i);
        out.push_back(item ? S(item->text()) : std::string());
      }
    } else if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
      for (int i = 0; i < tabs->count(); ++i) out.push_back(S(tabs->tabText(i)));
    }
    return out;
  }

  bool WriteText(std::string_view property, const std::string& value) override {
    QObject* o = object_;
    if (!o) return false;
    QString text = Q(value);
    if (Same(property, "hint")) {
      if (auto* a = qobject_cast<QAction*>(o)) a->setToolTip(text);
      else if (auto* w = qobject_cast<QWidget*>(o)) w->setToolTip(text);
      else return false;
      return true;
    }
    if (Same(property, "caption")) return WriteCaption(o, text);
    if (Same(property, "text")) {
      if (auto* e = qobject_cast<QLineEdit*>(o)) e->setText(text);
      else if (auto* p = qobject_cast<QPlainTextEdit*>(o)) p->setPlainText(text);
      else if (auto* t = qobject_cast<QTextEdit*>(o)) t->setPlainText(text);
      else if (auto* c = qobject_cast<QComboBox*>(o)) c->setEditText(text);
      else return WriteCaption(o, text);
      return true;
    }
    if (Same(property, "filter")) return o->setProperty("filter", text), true;
    for (const char* name : kExtraTexts)
      if (Same(property, name)) return o->setProperty(name, text);
    return false;
  }

  bool WriteList(std::string_view property, const std::vector<std::string>& items) override {
    QObject* o = object_;
    QStringList list;
    for (const auto& i : items) list << Q(i);
    if (auto* c = qobject_cast<QComboBox*>(o)) {
      int current = c->currentIndex();
      c->clear();
      c->addItems(list);
      if (current < c->count()) c->setCurrentIndex(current);
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
      int current = l->currentRow();
      l->clear();
      l->addItems(list);
      if (current < l->count()) l->setCurrentRow(current);
    } else if (Same(property, "lines") && qobject_cast<QPlainTextEdit*>(o)) {
      static_cast<QPlainTextEdit*>(o)->setPlainText(list.join('\n'));
    } else if (Same(property, "lines") && qobject_cast<QTextEdit*>(o)) {
      static_cast<QTextEdit*>(o)->setPlainText(list.join('\n'));
    } else if (auto* t = qobject_cast<QTreeWidget*>(o)) {
      t->setHeaderLabels(list);
    } else if (auto* tw = qobject_cast<QTableWidget*>(o)) {
      if (tw->columnCount() < list.size()) tw->setColumnCount(static_cast<int>(list.size()));
      tw->setHorizontalHeaderLabels(list);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(o)) {
      // Tabs follow their pages: extra texts have no page to name.
      for (int i = 0; i < tabs->count() && i < list.size(); ++i) tabs->setTabText(i, list[i]);
    } else {
      return false;
    }
    return true;
  }

 private:
  bool WriteCaption(QObject* o, const QString& text) {
    int tab = -1;
    if (isForm_) {
      if (auto* w = qobject_cast<QWidget*>(o)) w->setWindowTitle(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
      b->setText(text);
    } else if (auto* l = qobject_cast<QLabel*>(o)) {
      l->setText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
      g->setTitle(text);
    } else if (auto* a = qobject_cast<QAction*>(o)) {
      a->setText(text);
    } else if (auto* m = qobject_cast<QMenu*>(o)) {
      m->setTitle(text);
    } else if (auto* tabs = TabOwner(o, &tab)) {
      tabs->setTabText(tab, text);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
      w->setWindowTitle(text);
    } else {
      return false;
    }
    return true;
  }

  QPointer<QObject> object_;
  bool isForm_;
};

QtLocalisableTree::QtLocalisableTree(QWidget& form) : owner_(std::make_unique<Component>(&form, true)) {
  for (QObject* child : form.findChildren<QObject*>()) {
    if (child->objectName().isEmpty() || child->objectName().startsWith(QLatin1String("qt_"))) continue;
    parts_.push_back(std::make_unique<Component>(child, false));
    Component* part = parts_.back().get();
    QObject::connect(child, &QObject::destroyed, [this, part] {
      if (languager_) languager_->ComponentRemoved(part);
    });
  }
}

QtLocalisableTree::~QtLocalisableTree() {
  for (auto& p : parts_)
    if (p->object()) QObject::disconnect(p->object(), &QObject::destroyed, nullptr, nullptr);
}

LocalisableComponent& QtLocalisableTree::Owner() { return *owner_; }

std::vector<LocalisableComponent*> QtLocalisableTree::Components() {
  std::vector<LocalisableComponent*> out;
  for (auto& p : parts_)
    if (p->object()) out.push_back(p.get());
  return out;
}

void LocaliseForm(QWidget& form, std::string_view text) {
  QtLocalisableTree tree(form);
  TNyLanguager languager(tree);
  tree.SetLanguager(&languager);
  languager.SetLocalizationString(text);
  tree.SetLanguager(nullptr);
}

}  // namespace tolvane
