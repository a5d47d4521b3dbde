// What reading and writing markup needs from the text's surroundings: the
// document's paragraph styles, the page's embedded objects, a measurer and
// the message boxes. The page and the tables implement the object side.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class MessageBoxes;
class TextMeasurer;
class TYKAoggetto;

// An embedded object as markup sees it: a cell of its size, a number in the
// page's object index, and for tables the cells written inline after the tag.
class MarkupObject {
 public:
  virtual ~MarkupObject() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int IndexNumber() const = 0;
  virtual bool IsTable() const { return false; }
  // Reads the table's cells that follow its tag; returns where they end.
  virtual size_t ReadCells(std::string_view /*bytes*/, size_t pos) { return pos; }
  // Appends every cell, row by row: its paragraphs written in mode 0 and "<T>".
  virtual void WriteCells(std::string& /*out*/) const {}
};

class MarkupHost {
 public:
  virtual ~MarkupHost() = default;
  // The paragraph style in `slot`, or the one in slot 0 when there is none.
  virtual const TYKAoggetto* StyleBySlot(int32_t slot) = 0;
  // The object with `number` in the page's object index, or null.
  virtual MarkupObject* ObjectByNumber(int32_t number) = 0;
  virtual TextMeasurer& Measurer() = 0;
  // The document's font character set (1 is the default set).
  virtual int FontCharSet() { return 1; }
  virtual MessageBoxes& Messages() = 0;
};

// Old and new ids of a paste from another text: styles (document ids),
// link values and object numbers.
struct PasteRemap {
  std::vector<uint32_t> oldStyles, newStyles;
  std::vector<uint32_t> oldLinks, newLinks;
  std::vector<uint32_t> oldObjects, newObjects;
};

}  // namespace tolvane
