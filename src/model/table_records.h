// A typed view over the record of a table and its cell background list.
// The view reads and writes one object's record bytes at their offsets; bytes
// not named below are left as they were read.
//
// Table (tabellaHtml, 220 bytes)
//   OFFSET WIDTH MEANING
//        0     4 content blob position
//        4     1 state: 2 in use, 0 free
//        5 50x1 column width kind: 0 percent weight, 1 pixels, 2 free
//       55     1 table width is a percent
//       56     2 fixed table width in pixels, signed
//       58   4+4 attribute blob position and size
//       66     1 table model chosen at creation (0..11)
//       81     4 0 = no content blob
//       85     2 content blob size
//       89     1 table width in percent of the available width
//       90     1 cell padding
//       91     1 cell spacing
//       92     1 border width, 0 = none
//       93     1 rows
//       94     1 columns, at most 50
//       96     1 vertical alignment of the cells: 0 top, 1 middle, 2 bottom
//       97 50x2 column width, signed: percent weight (kind 0), pixels (kind 1),
//                last computed width (kind 2)
//      207     4 background of the table (coding below)
//      219     1 cell list version, 2 once the background list is written
//   content blob: rows x columns 32-bit cell backgrounds, row after row
//
// Background coding: -1 none; below 0x02000000 a colour 0x00BBGGRR (low 24
// bits); 0x03000000 + slot a picture resource; anything else none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/record_fields.h"

namespace tolvane {

class TYKAoggetto;

namespace table_record {
constexpr size_t kColumnKinds = 5;
constexpr size_t kWidthInPercent = 55, kFixedWidth = 56, kModel = 66;
constexpr size_t kWidthPercent = 89, kPadding = 90, kSpacing = 91, kBorder = 92;
constexpr size_t kRows = 93, kColumns = 94, kVerticalAlignment = 96;
constexpr size_t kColumnWidths = 97;
constexpr size_t kBackground = 207, kCellListVersion = 219;
constexpr int kMaxColumns = 50;
static_assert(kBackground == table_rec::kBackground);
}  // namespace table_record

enum class ColumnWidthKind : uint8_t { Percent = 0, Pixels = 1, Free = 2 };

constexpr int32_t kNoBackground = -1;
constexpr uint32_t kPictureBackground = 0x03000000;
inline int32_t PictureBackground(int32_t slot) {
  return static_cast<int32_t>(kPictureBackground | (static_cast<uint32_t>(slot) & 0xFFFFFFu));
}

class TableView {
 public:
  explicit TableView(const TYKAoggetto& object) : object_(object) {}
  const TYKAoggetto& Object() const { return object_; }

  int Rows() const;
  int Columns() const;
  int CellCount() const { return Rows() * Columns(); }
  bool WidthInPercent() const;
  int16_t FixedWidth() const;
  uint8_t WidthPercent() const;
  uint8_t Padding() const;
  uint8_t Spacing() const;
  uint8_t Border() const;
  uint8_t VerticalAlignment() const;
  // Columns beyond the 50 the record holds are free and have no width.
  ColumnWidthKind ColumnKind(int column) const;
  int16_t ColumnWidth(int column) const;
  int32_t Background() const;
  // The stored list as far as it goes, never longer than the cell count;
  // empty when the table has none.
  std::vector<int32_t> CellBackgrounds() const;

 private:
  const TYKAoggetto& object_;
};

class TableRecord : public TableView {
 public:
  explicit TableRecord(TYKAoggetto& object) : TableView(object), edit_(object) {}

  void SetSize(uint8_t rows, uint8_t columns);
  void SetPercentWidth(uint8_t percent);
  void SetFixedWidth(int16_t pixels);
  void SetPadding(uint8_t padding);
  void SetSpacing(uint8_t spacing);
  void SetBorder(uint8_t border);
  void SetVerticalAlignment(uint8_t alignment);
  // Columns beyond the record's 50 are ignored.
  void SetColumn(int column, ColumnWidthKind kind, int16_t width);
  void SetBackground(int32_t background);
  // Writes the list and marks it as written (version 2).
  void SetCellBackgrounds(const std::vector<int32_t>& backgrounds);

 private:
  TYKAoggetto& edit_;
};

}  // namespace tolvane
