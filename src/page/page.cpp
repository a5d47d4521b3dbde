#include "page/page.h"

#include <algorithm>
#include <optional>
#include <set>

#include "common/ansi.h"
#include "common/file_names.h"
#include "model/document.h"
#include "model/object.h"
#include "model/picture.h"
#include "platform/messages.h"
#include "richtext/markup_forms.h"
#include "richtext/markup_writer.h"

namespace tolvane {
namespace {

constexpr std::string_view kPageObjectHead = "<Z S0 f0 >";
constexpr size_t kTagLength = 11;

bool IsEmbeddedKind(uint32_t k) { return k == 8 || k == 11 || k == 13 || k == 16 || (k >= 20 && k <= 24); }

std::unique_ptr<TYKAoggetto> Clone(const TYKAoggetto& o, TYKAset& doc) {
  auto copy = TYKAoggetto::Create(o.Kind(), &doc);
  Bytes stream;
  o.SaveToTransfer(stream);
  ByteReader in(stream);
  copy->LoadFromTransfer(in);
  return copy;
}

// Loads `from` into the registered `to` in place: its slot and its identity stay.
void LoadInto(const TYKAoggetto& from, TYKAoggetto& to) {
  Bytes stream;
  from.SaveToTransfer(stream);
  ByteReader in(stream);
  to.LoadFromTransfer(in);
}

void WriteObjectTag(std::string& out, int number) {
  out += "<$FF";
  AppendHex(out, static_cast<uint32_t>(number) & 0xFFFFFF, 6);
  out += '>';
}

// Stands for an object whose kind has no control yet, so that it is kept.
class PlainObjectControl : public ObjectControl {
 public:
  explicit PlainObjectControl(TYKAoggetto& object) : ObjectControl(object) { SetBounds(Rect::Sized(0, 0, 20, 20)); }

 protected:
  void Paint(Canvas& canvas) override { canvas.FrameRect(ClientRect(), 0x808080, PenStyle::Dotted); }
};

// `count` hex digits at `pos`; nothing when one of them is not a digit.
std::optional<uint32_t> ReadHex(std::string_view text, size_t pos, size_t count) {
  if (text.size() < pos + count) return std::nullopt;
  uint32_t v = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = static_cast<char>(text[pos + i] | 0x20);
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

bool IsWordBoundary(unsigned char c) {
  return (c >= ' ' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

}  // namespace

// The page as the markup conversions see it: copies made when a text is
// opened, and committed back when it is saved.
class TYKApage::WorkingForm : public WorkingFormHost, public StoredFormHost {
 public:
  WorkingForm(TYKApage& page, std::vector<TYKAoggetto*>* embedded) : page_(page), embedded_(embedded) {}

  bool IsLiveObject(uint32_t id) override {
    const TYKAoggetto* o = page_.doc_.FindObject(static_cast<int32_t>(id));
    return o && !o->IsFree();
  }
  uint32_t AddLinkCopy(uint32_t id) override {
    TYKAoggetto* copy = page_.AddCopy(*page_.doc_.FindObject(static_cast<int32_t>(id)));
    auto& links = page_.working_->workingLinks;
    auto it = std::find(links.begin(), links.end(), copy);
    if (it != links.end()) return static_cast<uint32_t>(it - links.begin());
    links.push_back(copy);
    return static_cast<uint32_t>(links.size() - 1);
  }
  uint32_t AddEmbeddedCopy(uint32_t id) override {
    embedded_->push_back(page_.AddCopy(*page_.doc_.FindObject(static_cast<int32_t>(id))));
    return static_cast<uint32_t>(embedded_->size() - 1);
  }
  std::optional<uint32_t> CommitLink(uint32_t position) override {
    const auto& links = page_.working_->workingLinks;
    if (position >= links.size() || !links[position] || links[position]->IsFree()) return std::nullopt;
    auto id = page_.CommitObject(*links[position]);
    return id ? std::optional<uint32_t>(static_cast<uint32_t>(*id)) : std::nullopt;
  }
  std::optional<uint32_t> CommitEmbedded(uint32_t number) override {
    auto* control = dynamic_cast<ObjectControl*>(page_.controls_.ControlAt(static_cast<int>(number)));
    if (!control || control->BoundObject().IsFree()) return std::nullopt;
    auto id = page_.CommitObject(control->BoundObject());
    return id ? std::optional<uint32_t>(static_cast<uint32_t>(*id)) : std::nullopt;
  }

 private:
  TYKApage& page_;
  std::vector<TYKAoggetto*>* embedded_;
};

TYKApage::TYKApage(TYKAset& doc, ControlFactory& factory, TextMeasurer& measurer, BoxMaker makeBox)
    : doc_(doc),
      factory_(factory),
      measurer_(measurer),
      makeBox_(std::move(makeBox)),
      markupHost_(doc, measurer, doc.messages(), [this](int32_t n) -> MarkupObject* {
        return dynamic_cast<ObjectControl*>(controls_.ControlAt(n));
      }) {
  SetContentSize(0, 1024);
}

TYKApage::~TYKApage() { ClosePage(); }

TYKAoggetto* TYKApage::AddCopy(const TYKAoggetto& original) {
  // An object named twice in the page is copied once.
  auto it = copiedFrom_.find(original.ObjectId());
  if (original.IsRegistered() && it != copiedFrom_.end()) return copies_[it->second].object.get();
  copies_.push_back({Clone(original, doc_), original.IsRegistered() ? original.ObjectId() : -1,
                     original.IsRegistered() ? &original : nullptr});
  copies_.back().object->ownerText = working_;
  if (original.IsRegistered()) copiedFrom_[original.ObjectId()] = copies_.size() - 1;
  return copies_.back().object.get();
}

ObjectControl* TYKApage::MakeControl(TYKAoggetto& copy) {
  std::unique_ptr<ObjectControl> control = factory_.CreateVisual(copy, *this);
  if (!control) control = std::make_unique<PlainObjectControl>(copy);
  auto* c = static_cast<ObjectControl*>(Adopt(std::move(control)));
  c->SetVisible(false);  // until the page or its box places it
  c->SetIndexNumber(controls_.RegisterControl(c));
  objectControls_.push_back(c);
  // A control that goes (deleted by the box, replaced by undo) leaves every list.
  c->onDestroyed = [this](Control* gone) {
    controls_.Forget(gone);
    for (auto* list : {&embedded_, &headerFooter_, &objectControls_})
      list->erase(std::remove(list->begin(), list->end(), gone), list->end());
  };
  return c;
}

ObjectControl* TYKApage::ControlOf(const TYKAoggetto& copy) const {
  for (int i = 0; i < controls_.Count(); ++i)
    if (auto* c = dynamic_cast<ObjectControl*>(controls_.ControlAt(i)); c && &c->BoundObject() == &copy) return c;
  return nullptr;
}

// The text's markup in working form, with a control for each of its objects
// and the tags renumbered to the controls' places in the control index.
std::string TYKApage::TakeWorkingText(const TYKAtesto& text, std::vector<ObjectControl*>* into) {
  std::vector<TYKAoggetto*> embedded;
  std::vector<size_t> tags;
  WorkingForm host(*this, &embedded);
  std::string markup = ToWorkingForm(ContentText(text), host, &tags);
  for (size_t i = 0; i < embedded.size() && i < tags.size(); ++i) {
    ObjectControl* c = MakeControl(*embedded[i]);
    std::string digits = "FF";
    AppendHex(digits, static_cast<uint32_t>(c->IndexNumber()), 6);
    markup.replace(tags[i] + 2, 8, digits);
    if (into) into->push_back(c);
  }
  return markup;
}

// Takes the paragraphs of free objects off the front of the page's text;
// returns where the text itself starts.
size_t TYKApage::SplitPageObjects(const std::string& text) {
  size_t pos = 0;
  while (text.compare(pos, kPageObjectHead.size(), kPageObjectHead) == 0) {
    size_t tag = pos + kPageObjectHead.size();
    if (text.size() - tag < kTagLength) break;
    if (text.compare(tag, kTagLength, std::string(kTagLength, '!')) == 0) {  // its object is gone
      pos = tag + kTagLength;
      continue;
    }
    if (text.compare(tag, 4, "<$FF") != 0) break;
    const int number = static_cast<int>(ReadHex(text, tag + 4, 6).value_or(0xFFFFFF));
    pos = tag + kTagLength;
    if (auto* c = dynamic_cast<ObjectControl*>(controls_.ControlAt(number))) {
      AddEmbedded(c);
      c->SetVisible(true);
      if (c->IsTable()) {
        if (text.compare(pos, 3, "<@>") == 0) pos += 3;
        else pos = std::clamp(c->ReadCells(text, pos), pos, text.size());
      }
    }
  }
  return pos;
}

TYKAtesto* TYKApage::ShowPage(TYKAtesto* page) {
  if (page && page == working_) return working_;  // shown already
  ClosePage();
  ownWorking_ = std::make_unique<TYKAtesto>(&doc_);
  if (page) {
    LoadInto(*page, *ownWorking_);
    readOnly_ = page->ContentLocked();
    Bytes probe;
    if (page->HasContent() && !page->ReadContent(probe)) readOnly_ = true;
  } else {
    ownWorking_->Clear();
    ownWorking_->Activate();
  }
  working_ = ownWorking_.get();
  if (page && page->IsRegistered()) {
    pageObject_ = page;
    pageSlot_ = page->Slot();
    newPage_ = false;
  } else {
    newPage_ = true;
  }
  ShowWorkingCopy();
  return working_;
}

TYKAtesto* TYKApage::ShowPage(std::unique_ptr<TYKAtesto> page) {
  if (!page) return ShowPage(static_cast<TYKAtesto*>(nullptr));
  if (page->IsRegistered()) return ShowPage(page.release());  // the document holds it already
  ClosePage();
  ownWorking_ = std::move(page);
  ownWorking_->SetDocument(&doc_);
  working_ = ownWorking_.get();
  newPage_ = true;
  ShowWorkingCopy();
  return working_;
}

void TYKApage::ShowWorkingCopy() {
  done_ = false;
  modified = false;
  box_ = makeBox_ ? makeBox_(*this, markupHost_) : nullptr;
  if (!box_) box_ = std::make_unique<MarkupTextBox>(markupHost_);
  Control& box = box_->AsControl();
  box.SetParent(this);
  box.SetBounds(ClientRect());
  controls_.RegisterControl(&box);  // the box first: its objects follow it

  const std::string own = TakeWorkingText(*working_, nullptr);
  const size_t start = SplitPageObjects(own);
  working_->SetContentText(own);
  // The shared header and footer: the page's own, or the document's.
  auto shared = [&](size_t pageField, size_t docField) -> std::string {
    int32_t id = working_->I32(pageField);
    if (id == -1) id = doc_.header().I32(docField);
    const TYKAoggetto* o = id >= 0 ? doc_.FindObject(id) : nullptr;
    if (!o || o->Kind() != testoHtml || o->IsFree() || o == pageObject_) return {};
    auto* copy = static_cast<TYKAtesto*>(AddCopy(*o));
    return TakeWorkingText(*copy, &headerFooter_);
  };
  const std::string header = shared(page_rec::kHeaderPage, hdr::kHeaderPage);
  const std::string footer = shared(page_rec::kFooterPage, hdr::kFooterPage);
  box_->LoadText(header, std::string_view(own).substr(start), footer);
  for (ObjectControl* c : embedded_) c->BringToFront();  // free objects lie over the text
  ShowBackground(*working_);
}

void TYKApage::ShowBackground(const TYKAtesto& page) {
  if (background_) {
    delete background_;
    background_ = nullptr;
  }
  BackgroundPicture picture;
  TYKAoggetto* image = doc_.ObjectAt(immagine, page.I32(page_rec::kBackgroundPicture));
  if (image && !image->IsFree()) {
    // The stored size sets the tiles; read before loading, which may set it anew.
    const int width = image->I16(picture_rec::kWidth), height = image->I16(picture_rec::kHeight);
    if (TYKApicture* loaded = image->GetPicture()) {
      picture.bitmap = std::make_shared<const Bitmap>(loaded->bitmap);
      picture.width = width;
      picture.height = height;
      const std::string ext =
          AnsiLowerCase(ExtractFileExt(image->ShortString(picture_rec::kFileName, picture_rec::kFileNameSize)));
      picture.opaque = image->I32(picture_rec::kTransparency) != -1 && ext != ".wmf" && ext != ".emf";
    }
  }
  int32_t mode = page.I32(page_rec::kBackgroundMode);
  if (mode < 0 || mode > 3) mode = 0;
  auto painter = std::make_unique<TYKAsfondo>(static_cast<Colour>(page.I32(page_rec::kBackgroundColour)), picture, mode);
  background_ = static_cast<TYKAsfondo*>(Adopt(std::move(painter)));
  background_->SendToBack();
  PlaceBackground();
}

// The painter covers the whole content and knows where the window is on it.
void TYKApage::PlaceBackground() {
  if (!background_) return;
  background_->SetBounds(Rect::Sized(0, 0, std::max(Width(), ContentWidth()), std::max(Height(), ContentHeight())));
  background_->SetViewOrigin(ScrollOffset());
}

TYKAoggetto* TYKApage::LiveOriginal(const Copy& copy) const {
  if (!copy.original) return nullptr;
  TYKAoggetto* now = doc_.FindObject(copy.origin);
  return now == copy.original && !now->IsFree() ? now : nullptr;
}

std::optional<int32_t> TYKApage::CommitObject(TYKAoggetto& copy) {
  if (auto it = committed_.find(&copy); it != committed_.end()) return it->second;
  const Copy* entry = nullptr;
  for (const auto& c : copies_)
    if (c.object.get() == &copy) entry = &c;
  std::set<int32_t> used;
  for (const auto& [c, i] : committed_) used.insert(i);
  TYKAoggetto* target = entry ? LiveOriginal(*entry) : nullptr;
  if (target && (target->Kind() != copy.Kind() || used.count(target->ObjectId()))) target = nullptr;
  // An address link may be shared by other pages: a changed one becomes a
  // link of its own rather than changing theirs.
  if (target && copy.Kind() == internetLink) {
    Bytes a, b;
    copy.SaveToTransfer(a);
    target->SaveToTransfer(b);
    if (a != b) target = nullptr;
  }
  std::optional<int32_t> id;
  if (target) {
    LoadInto(copy, *target);  // back into its own slot
    id = target->ObjectId();
  } else {
    TYKAoggetto* same = nullptr;
    if (copy.Kind() == internetLink)
      for (int s = 0; s < doc_.KindCount(internetLink) && !same; ++s)
        if (TYKAoggetto* o = doc_.ObjectAt(internetLink, s); o && o->SameAs(copy)) same = o;
    if (!same) {
      auto fresh = Clone(copy, doc_);
      fresh->SetSlot(-1);
      same = doc_.Register(std::move(fresh));
    }
    if (same) id = same->ObjectId();
  }
  if (id) committed_[&copy] = *id;
  return id;
}

// What the page held before and no longer does goes: its embedded objects
// and special links. Address links may be shared and stay; objects the page
// did not copy, or that are no longer the ones it copied, are not its own.
void TYKApage::FreeOldObjects(std::string_view storedMarkup) {
  std::set<int32_t> kept;
  for (const auto& [c, id] : committed_) kept.insert(id);
  for (size_t pos = storedMarkup.find("<$"); pos != std::string_view::npos; pos = storedMarkup.find("<$", pos + 2)) {
    const std::optional<uint32_t> value = ReadHex(storedMarkup, pos + 2, 8);
    if (!value) continue;
    const auto id = static_cast<int32_t>(*value);
    const uint32_t kind = *value >> 24;
    if (!(IsEmbeddedKind(kind) || kind == speclink) || kept.count(id)) continue;
    auto it = copiedFrom_.find(id);
    if (it == copiedFrom_.end()) continue;
    if (TYKAoggetto* o = LiveOriginal(copies_[it->second])) o->Reset();
  }
}

void TYKApage::AutoTitle(TYKAtesto& page) {
  if (!AnsiStartsWithText(page.ObjectCaption(), "SansTitre")) return;
  std::string title;
  if (!box_) return;
  for (const auto& p : box_->Paragraphs().paragraphs) {
    if (p->origin != kOwnText) continue;
    std::string_view t = p->text;
    if (title.empty()) t.remove_prefix(std::min(t.find_first_not_of(' '), t.size()));
    if (t.empty()) continue;
    if (!title.empty()) title += ' ';
    title += t;
    if (title.size() > 35 || (t.size() > 5 && t != "...continuer")) break;
  }
  if (size_t run = title.find("   "); run != std::string::npos) title.resize(run);
  if (title.size() > 71) title.resize(71);
  if (!title.empty()) page.SetCaption(title);
}

bool TYKApage::CommitPage() {
  if (done_ || !working_) return false;
  if (readOnly_) {  // a locked or unreadable page is never written over
    done_ = true;
    return false;
  }
  if (!box_) {
    doc_.messages().ShowError(
        "Erreur interne ! Utilisez \"Enregistrer sous...\" pour sauver votre travail, puis quittez le "
        "programme, et signalez-nous les circonstances de l'erreur.");
    return false;
  }
  // A slot that now holds another page: this copy has nowhere to go.
  if (pageObject_ && (doc_.ObjectAt(testoHtml, pageSlot_) != pageObject_ || pageObject_->IsFree())) {
    done_ = true;
    return false;
  }
  std::string markup;
  for (ObjectControl* c : embedded_) {
    markup += kPageObjectHead;
    WriteObjectTag(markup, c->IndexNumber());
    if (c->IsTable()) c->WriteCells(markup);
  }
  markup += box_->SaveText();
  committed_.clear();
  WorkingForm host(*this, nullptr);
  ToStoredForm(markup, host, &doc_.platform().ui);

  const bool changed = modified || box_->Modified();
  TYKAtesto& target = pageObject_ ? *pageObject_ : *working_;
  if (pageObject_) {
    const std::string old = ContentText(*pageObject_);
    LoadInto(*working_, *pageObject_);
    FreeOldObjects(old);
  }
  target.SetContentText(markup);
  target.SetU8(page_rec::kMarkupVersion, 2);
  if (changed) target.SetGeneration(std::max(target.GetGeneration(), doc_.SaveCounter()));
  AutoTitle(target);
  if (!pageObject_ && ownWorking_) {
    pageObject_ = static_cast<TYKAtesto*>(doc_.Register(std::move(ownWorking_)));
    pageSlot_ = pageObject_ ? pageObject_->Slot() : -1;
    if (!pageObject_) {  // the document took it and could not keep it
      working_ = nullptr;
      doc_.messages().ShowError("La page n'a pas pu \xC3\xAAtre enregistr\xC3\xA9" "e dans l'hypertexte.");
      return false;
    }
  }
  if (changed) doc_.SetModified(true);
  done_ = true;
  return true;
}

void TYKApage::ClosePage() {
  // Controls first: they point at the copies. The box is ours through box_,
  // the object controls and the background through Adopt.
  box_.reset();
  for (ObjectControl* c : std::vector<ObjectControl*>(objectControls_)) delete c;
  objectControls_.clear();
  embedded_.clear();
  headerFooter_.clear();
  delete background_;
  background_ = nullptr;
  controls_ = TYKAundoIndiciList();
  copies_.clear();
  copiedFrom_.clear();
  committed_.clear();
  if (working_) working_->workingLinks.clear();
  ownWorking_.reset();
  working_ = nullptr;
  pageObject_ = nullptr;
  pageSlot_ = -1;
  readOnly_ = false;
  search_ = {};
  doc_.UndoList().Clear();
}

void TYKApage::AddEmbedded(ObjectControl* control) {
  if (control && std::find(embedded_.begin(), embedded_.end(), control) == embedded_.end()) embedded_.push_back(control);
}

void TYKApage::BringEmbeddedToFront(ObjectControl* control) {
  auto it = std::find(embedded_.begin(), embedded_.end(), control);
  if (it == embedded_.end()) return;
  embedded_.erase(it);
  embedded_.push_back(control);
  control->BringToFront();
  modified = true;
}

void TYKApage::SendEmbeddedToBack(ObjectControl* control) {
  auto it = std::find(embedded_.begin(), embedded_.end(), control);
  if (it == embedded_.end()) return;
  embedded_.erase(it);
  embedded_.insert(embedded_.begin(), control);
  // Behind the other free objects, still over the text and the background.
  for (auto* c : embedded_)
    if (c != control) c->BringToFront();
  modified = true;
}

void TYKApage::SetEmbeddedOrder(const std::vector<int>& controlIndexes) {
  std::vector<ObjectControl*> order;
  for (int i : controlIndexes)
    if (auto* c = dynamic_cast<ObjectControl*>(controls_.ControlAt(i));
        c && std::find(embedded_.begin(), embedded_.end(), c) != embedded_.end())
      order.push_back(c);
  if (order.size() != embedded_.size()) return;
  embedded_ = order;
  for (auto* c : embedded_) c->BringToFront();
  modified = true;
}

bool TYKApage::FindText(std::string_view wanted, SearchOptions options) {
  if (!box_ || wanted.empty()) return false;
  auto& paragraphs = box_->Paragraphs().paragraphs;
  const std::string needle = options.matchCase ? std::string(wanted) : AnsiLowerCase(wanted);
  if (!search_.active) search_ = {0, 0, true};
  for (; search_.paragraph < static_cast<int>(paragraphs.size()); ++search_.paragraph, search_.from = 0) {
    const std::string& raw = paragraphs[static_cast<size_t>(search_.paragraph)]->text;
    const std::string hay = options.matchCase ? raw : AnsiLowerCase(raw);
    for (size_t at = hay.find(needle, static_cast<size_t>(search_.from)); at != std::string::npos;
         at = hay.find(needle, at + 1)) {
      const size_t end = at + needle.size();
      if (options.wholeWord && ((at > 0 && !IsWordBoundary(static_cast<unsigned char>(hay[at - 1]))) ||
                                (end < hay.size() && !IsWordBoundary(static_cast<unsigned char>(hay[end])))))
        continue;
      box_->Select(search_.paragraph, static_cast<int>(at), static_cast<int>(needle.size()));
      search_.from = static_cast<int>(at + 1);
      return true;
    }
  }
  search_ = {};
  return false;
}

bool TYKApage::GoToAnchor(int number) {
  if (box_) {
    auto& paragraphs = box_->Paragraphs().paragraphs;
    for (size_t p = 0; p < paragraphs.size(); ++p) {
      const TYKAparag& para = *paragraphs[p];
      for (size_t i = 0; i < para.cells.size(); ++i) {
        int32_t o = para.cells[i].object;
        if (o < 0 || static_cast<size_t>(o) >= para.objects.size()) continue;
        auto* c = dynamic_cast<ObjectControl*>(para.objects[static_cast<size_t>(o)]);
        if (!c) continue;
        const TYKAoggetto& obj = c->BoundObject();
        if (obj.Kind() == shortObj && obj.State() == 14 && obj.I32(5) == number) {
          box_->Select(static_cast<int>(p), static_cast<int>(i), 0);
          return true;
        }
      }
    }
  }
  if (!readMode_) doc_.messages().ShowWarning("Ancre introuvable: a" + std::to_string(number));
  return false;
}

void TYKApage::ObjectsOfKind(int kind, std::vector<std::string>& names, std::string_view frameName) const {
  for (int i = 0; i < controls_.Count(); ++i) {
    auto* c = dynamic_cast<ObjectControl*>(controls_.ControlAt(i));
    if (!c || c->BoundObject().Kind() != kind) continue;
    std::string name = c->BoundObject().HtmlName();
    if (!frameName.empty()) name = std::string(frameName) + "." + name;
    names.push_back(name);
  }
}

void TYKApage::ApplyScrollBars() {
  if (!readMode_) scrollBars_ = true;
  else if (scrollBarMode_ <= 1) scrollBars_ = false;
  else if (scrollBarMode_ <= 3) scrollBars_ = true;
}

void TYKApage::SetReadMode(bool on) {
  readMode_ = on;
  ApplyScrollBars();
}

void TYKApage::SetScrollBarMode(uint8_t mode) {
  scrollBarMode_ = mode;
  ApplyScrollBars();
}

void TYKApage::SetPreview(bool on) {
  preview_ = on;
  if (on) {
    SetContentSize(ContentWidth(), 0);
    SetReadMode(true);
  }
}

bool TYKApage::Wheel(int delta, Point) {
  if (delta == 0) return false;
  ScrollBy(0, delta < 0 ? kWheelStep : -kWheelStep);
  return true;
}

}  // namespace tolvane
