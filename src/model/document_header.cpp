#include "model/document_header.h"

#include <algorithm>

namespace tolvane {

AnsiString DocumentHeader::Description() const {
  const auto* start = reinterpret_cast<const char*>(bytes + hdr::kDescription);
  size_t len = strnlen(start, hdr::kDescriptionSize);
  return AnsiString(start, len);
}

void DocumentHeader::SetDescription(std::string_view d) {
  size_t len = std::min(d.size(), hdr::kDescriptionSize - 1);
  std::memset(bytes + hdr::kDescription, 0, hdr::kDescriptionSize);
  std::memcpy(bytes + hdr::kDescription, d.data(), len);
}

void DocumentHeader::SetNewDocument(std::string_view authors, int pixelsPerInch) {
  std::memset(bytes, 0, sizeof bytes);
  std::memcpy(bytes + hdr::kMagic, "TOLP", 4);
  SetTitle("SansTitre");
  SetShort(hdr::kAuthors, 80, authors);
  SetU8(hdr::kLastKind, 26);
  SetU16(hdr::kVersion, 2);
  SetI32(hdr::kSaveCounter, 2);
  SetU8(hdr::kNoCoverButton, 1);
  SetU8(hdr::kNoButtons, 1);
  SetShort(hdr::kFixedFont, 40, "Courier New");
  SetShort(hdr::kProportionalFont, 40, "Arial");
  SetU16(hdr::kPixelsPerInch, static_cast<uint16_t>(pixelsPerInch));
  SetI32(hdr::kHeaderPage, -1);
  SetI32(hdr::kFooterPage, -1);
  SetI32(hdr::kBackgroundColour, 0xF0F0F0);
  SetI32(hdr::kBackgroundPicture, -1);
  SetU16(hdr::kLanguage, 1033);
  SetI32(hdr::kTextColour, 0);
  SetI32(hdr::kLinkColour, 0xFF0000);
  SetI32(hdr::kFollowedColour, 0xFF);
  SetU8(hdr::kCoverFileName, 1);
  SetU8(hdr::kPicturesInCells, 1);
}

void DocumentHeader::SetVersion1Defaults() {
  SetShort(hdr::kAuthors, 80, "");
  SetShort(hdr::kRights, 80, "");
  SetShort(hdr::kCompany, 80, "");
  SetU8(hdr::kPasswordMarker, 0);
  SetI32(hdr::kHeaderPage, -1);
  SetI32(hdr::kFooterPage, -1);
  SetI32(hdr::kPageTree, 0);
  SetI32(hdr::kPrototypeTree, 0);
  SetI32(hdr::kBackgroundColour, 0xF0F0F0);
  SetI32(hdr::kTextColour, 0);
  SetI32(hdr::kLinkColour, 0xFF0000);
  SetI32(hdr::kFollowedColour, 0xFF);
  SetI32(hdr::kBackgroundPicture, -1);
  SetU16(hdr::kLanguage, 1033);
}

}  // namespace tolvane
