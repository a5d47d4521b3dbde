// The transfer stream: one object with its record, external path and both
// streams, as copy, paste, undo and picture replacement move it.
#include "model/document.h"
#include "model/object.h"

namespace tolvane {

void TYKAoggetto::SaveToTransfer(Bytes& out) const {
  ByteWriter w(out);
  w.I32(slot_);
  w.U8(kind_);
  w.Raw(record_, sizeof record_);
  w.U32(static_cast<uint32_t>(externalPath_.size()));
  w.Text(externalPath_);
  Bytes content;
  if (ContentLocked()) {
    CheckReadable();
    content = ToBytes(LockedPageMarkup());
  } else if (!ReadContent(content)) {
    content.clear();
  }
  w.U32(static_cast<uint32_t>(content.size()));
  w.U32(0);
  w.Raw(content);
  const Bytes* attributes = Attributes();
  w.U32(attributes ? static_cast<uint32_t>(attributes->size()) : 0);
  if (attributes) w.Raw(*attributes);
}

bool TYKAoggetto::LoadFromTransfer(ByteReader& in) {
  int32_t slot = 0;
  uint8_t kind = 0;
  uint8_t record[kRecordBytes];
  uint32_t pathSize = 0;
  std::string path;
  if (!in.I32(slot) || !in.U8(kind) || !in.Raw(record, sizeof record) || !in.U32(pathSize) ||
      !in.Text(path, pathSize))
    return false;
  if (kind > testoHtmlRtf) return false;
  if (registered_ && kind != kind_) {
    if (document_)
      document_->messages().ShowError(
          "In un TYKAoggetto registrato si può caricare solo un TYKAoggetto dello stesso tipo!");
  }
  // A registered object keeps its slot and kind, its place in the document.
  if (!registered_) {
    slot_ = slot;
    kind_ = static_cast<TOggettiHel>(kind);
  }
  std::memcpy(record_, record, sizeof record_);
  externalPath_ = std::move(path);
  properties_.reset();
  content_.reset();
  lazy_.reset();
  attributes_.reset();

  uint32_t contentSize = 0, zero = 0, attributeSize = 0;
  Bytes content, attributes;
  if (!in.U32(contentSize) || !in.U32(zero) || !in.Take(content, contentSize) ||
      !in.U32(attributeSize) || !in.Take(attributes, attributeSize))
    return false;
  if (contentSize > 0) content_ = std::move(content);
  if (attributeSize > 0) attributes_ = std::move(attributes);
  return true;
}

void TYKAoggetto::ReplaceContent(const TYKAoggetto& source) {
  if (kind_ != immagine || source.kind_ != immagine) {
    if (document_) document_->messages().ShowInformation("ReplaceContent called improperly...");
    return;
  }
  if (registered_ && document_ && document_->OnRecordUndo)
    document_->OnRecordUndo(Utf8ToAnsi("Modifier une image ") + ObjectCaption(), *this);
  Bytes stream;
  source.SaveToTransfer(stream);
  ByteReader in(stream);
  LoadFromTransfer(in);
  if (document_) {
    document_->ReleasePicture(this);
    SetGeneration(document_->SaveCounter());
  }
}

}  // namespace tolvane
