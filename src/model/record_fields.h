// Named offsets of the document header and of the record fields that the
// model itself reads. Layout tables of the other kinds live with their owners.
#pragma once

#include <cstddef>

namespace tolvane {

// Document header, 1978 bytes at the start of the file.
//   OFFSET SIZE  MEANING
namespace hdr {
constexpr size_t kSize = 1978;
constexpr size_t kMagic = 0;             //    4  "TOLP"
constexpr size_t kTitle = 4;             //   80  short string
constexpr size_t kDescription = 84;      // 1258  NUL-terminated text
constexpr size_t kDescriptionSize = 1258;
constexpr size_t kPageTree = 1342;       //    4  id of the page tree object
constexpr size_t kExportPrefix = 1346;   //   17  short string
constexpr size_t kPasswordMarker = 1363; //   12  short string
constexpr size_t kPasswordSet = 1375;    //    1  "a" when a password was set
constexpr size_t kCompany = 1380;        //   80  short string
constexpr size_t kRights = 1460;         //   80  short string
constexpr size_t kAuthors = 1540;        //   80  short string
constexpr size_t kLastKind = 1620;       //    1  N, largest kind index
constexpr size_t kVersion = 1621;        //    2  format version
constexpr size_t kReadOnly = 1623;       //    1
constexpr size_t kSummaryPage = 1624;    //    4
constexpr size_t kCoverPage = 1628;      //    4
constexpr size_t kSaveCounter = 1632;    //    4
constexpr size_t kButtonSummary = 1636;  //    1  "Sommario"
constexpr size_t kButtonSearch = 1637;   //    1  "Cerca"
constexpr size_t kButtonHelp = 1638;     //    1  "Guida"
constexpr size_t kNoCoverButton = 1639;  //    1  inverted "Copertina"
constexpr size_t kNoButtons = 1641;      //    1  "Nessun pulsante"
constexpr size_t kFixedFont = 1642;      //   40  short string
constexpr size_t kProportionalFont = 1682;  // 40 short string
constexpr size_t kPixelsPerInch = 1722;  //    2
constexpr size_t kHeaderPage = 1724;     //    4  -1 none
constexpr size_t kFooterPage = 1728;     //    4  -1 none
constexpr size_t kPrototypeTree = 1732;  //    4
constexpr size_t kBackgroundColour = 1736;  // 4
constexpr size_t kBackgroundPicture = 1740; // 4  slot of an immagine, -1 none
constexpr size_t kLanguage = 1744;       //    2
constexpr size_t kTextColour = 1746;     //    4
constexpr size_t kLinkColour = 1750;     //    4
constexpr size_t kFollowedColour = 1754; //    4
constexpr size_t kProperties = 1758;     //    4  id of the document-properties object
constexpr size_t kCoverFileName = 1762;  //    1  cover page exported under property "index"
constexpr size_t kShowToc = 1783;        //    1
constexpr size_t kPicturesInCells = 1784;//    1
constexpr size_t kForceFullScreen = 1785;//    1
constexpr size_t kReaderWindow = 1786;   //    1
}  // namespace hdr

// Fields common to every record.
constexpr size_t kStateByte = 4;

// Page (testoHtml) record.
namespace page_rec {
constexpr size_t kCaption = 5, kCaptionSize = 72;
constexpr size_t kGroup = 77, kOrder = 79, kFrameSet = 81;
constexpr size_t kBackgroundPicture = 85;  // slot of an immagine
constexpr size_t kTextColour = 89, kLinkColour = 93, kFollowedColour = 97, kBackgroundColour = 101;
constexpr size_t kKeywords = 105;  // 20 keyword ids
constexpr int kKeywordCount = 20;
constexpr size_t kLanguage = 191, kPassword = 194, kMarkupVersion = 195, kGeneration = 196;
constexpr size_t kNextScene = 227, kHeaderPage = 231, kFooterPage = 235;
constexpr size_t kFileNameOverride = 247;
constexpr size_t kBackgroundMode = 288;
}  // namespace page_rec

namespace link_rec {   // internetLink, zipLink, genLink
constexpr size_t kCaption = 5;
constexpr size_t kAddressSize = 128, kFileNameSize = 79;
constexpr size_t kGeneration = 89;
}  // namespace link_rec

namespace picture_rec {  // immagine, mappaClic
constexpr size_t kCaption = 5, kCaptionSize = 72;
constexpr size_t kGeneration = 77, kWidth = 85, kHeight = 87;
constexpr size_t kFileName = 94, kFileNameSize = 76;
constexpr size_t kContentSize = 174;
constexpr size_t kTransparency = 170;
constexpr size_t kMapData = 182, kMapDataSize = 480;
constexpr size_t kPreviousSlot = 662, kLastByte = 666;
}  // namespace picture_rec

namespace placed_rec {  // immagineNew
constexpr size_t kMainPicture = 0, kSecondPicture = 5, kThirdPicture = 9;
constexpr size_t kMapMode = 13;
constexpr size_t kWidth = 15, kHeight = 17, kWidth2 = 19, kHeight2 = 21;
constexpr size_t kColour = 24, kName = 28, kNameSize = 33;
constexpr size_t kExtraLink = 69, kHotSpots = 73, kHotSpotSize = 16;
constexpr int kHotSpotCount = 30;
constexpr size_t kExtendedStart = 556, kExtendedSize = 20;
inline bool HasExtendedData(unsigned mapMode) { return mapMode > 253; }
}  // namespace placed_rec

namespace speclink_rec {
constexpr size_t kAnchor = 9, kTarget = 13, kScope = 17, kWindowMode = 18, kFrameName = 19;
}
namespace shortobj_rec {
constexpr size_t kValue = 5;
}
namespace dbloc_rec {
constexpr size_t kName = 17, kNameSize = 16, kRole = 46, kPicture = 47;
constexpr size_t kLinks[4] = {51, 55, 59, 63};
}
namespace style_rec {
constexpr size_t kName = 5, kNameSize = 33, kFontName = 39, kAttributes = 72;
}
namespace table_rec {
constexpr size_t kHasContent = 81, kBackground = 207;
}
namespace input_rec {  // inputStat
constexpr size_t kPage = 108, kPicture = 112;
constexpr int kFloatingPanel = 18;
}
namespace button_rec {
constexpr size_t kPicture = 177, kLink = 181;
}
namespace media_rec {
constexpr size_t kLink = 17, kAlternativePicture = 21;
}

}  // namespace tolvane
