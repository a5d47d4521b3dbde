#include "model/table_records.h"

#include <algorithm>

#include "model/object.h"

namespace tolvane {

using namespace table_record;

int TableView::Rows() const { return object_.U8(kRows); }
int TableView::Columns() const { return object_.U8(kColumns); }
bool TableView::WidthInPercent() const { return object_.U8(kWidthInPercent) != 0; }
int16_t TableView::FixedWidth() const { return object_.I16(kFixedWidth); }
uint8_t TableView::WidthPercent() const { return object_.U8(kWidthPercent); }
uint8_t TableView::Padding() const { return object_.U8(kPadding); }
uint8_t TableView::Spacing() const { return object_.U8(kSpacing); }
uint8_t TableView::Border() const { return object_.U8(kBorder); }
uint8_t TableView::VerticalAlignment() const { return object_.U8(kVerticalAlignment); }

ColumnWidthKind TableView::ColumnKind(int column) const {
  if (column < 0 || column >= kMaxColumns) return ColumnWidthKind::Free;
  return static_cast<ColumnWidthKind>(object_.U8(kColumnKinds + static_cast<size_t>(column)));
}

int16_t TableView::ColumnWidth(int column) const {
  if (column < 0 || column >= kMaxColumns) return 0;
  return object_.I16(kColumnWidths + 2 * static_cast<size_t>(column));
}

int32_t TableView::Background() const { return object_.I32(kBackground); }

std::vector<int32_t> TableView::CellBackgrounds() const {
  Bytes content;
  if (!object_.ReadContent(content)) return {};
  const size_t count = std::min<size_t>(content.size() / 4, static_cast<size_t>(CellCount()));
  std::vector<int32_t> out(count);
  for (size_t i = 0; i < count; ++i) out[i] = GetI32(content.data(), 4 * i);
  return out;
}

void TableRecord::SetSize(uint8_t rows, uint8_t columns) {
  edit_.SetU8(kRows, rows);
  edit_.SetU8(kColumns, columns);
}
void TableRecord::SetPercentWidth(uint8_t percent) {
  edit_.SetU8(kWidthInPercent, 1);
  edit_.SetU8(kWidthPercent, percent);
}
void TableRecord::SetFixedWidth(int16_t pixels) {
  edit_.SetU8(kWidthInPercent, 0);
  edit_.SetI16(kFixedWidth, pixels);
}
void TableRecord::SetPadding(uint8_t padding) { edit_.SetU8(kPadding, padding); }
void TableRecord::SetSpacing(uint8_t spacing) { edit_.SetU8(kSpacing, spacing); }
void TableRecord::SetBorder(uint8_t border) { edit_.SetU8(kBorder, border); }
void TableRecord::SetVerticalAlignment(uint8_t alignment) { edit_.SetU8(kVerticalAlignment, alignment); }

void TableRecord::SetColumn(int column, ColumnWidthKind kind, int16_t width) {
  if (column < 0 || column >= kMaxColumns) return;
  edit_.SetU8(kColumnKinds + static_cast<size_t>(column), static_cast<uint8_t>(kind));
  edit_.SetI16(kColumnWidths + 2 * static_cast<size_t>(column), width);
}

void TableRecord::SetBackground(int32_t background) { edit_.SetI32(kBackground, background); }

void TableRecord::SetCellBackgrounds(const std::vector<int32_t>& backgrounds) {
  Bytes content;
  ByteWriter w(content);
  for (int32_t b : backgrounds) w.I32(b);
  edit_.SetContent(std::move(content));
  // A zero here tells the reader that no list was stored.
  if (edit_.I32(table_rec::kHasContent) == 0) edit_.SetI32(table_rec::kHasContent, 1);
  edit_.SetU8(kCellListVersion, 2);
}

}  // namespace tolvane
