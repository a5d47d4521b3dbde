// An embedded object of a fixed size, standing in for the page's object
// controls; as a table it reads its inline cells as "<T>"-ended runs, one per
// cell, and writes them back the same way.
#pragma once

#include <string>
#include <vector>

#include "richtext/markup_host.h"

namespace tolvane::testing {

class StandInObject : public MarkupObject {
 public:
  StandInObject(int number, int width, int height, int tableCells = 0)
      : number_(number), width_(width), height_(height), tableCells_(tableCells) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int IndexNumber() const override { return number_; }
  bool IsTable() const override { return tableCells_ > 0; }
  size_t ReadCells(std::string_view bytes, size_t pos) override {
    ++cellReads;
    cells.clear();
    for (int i = 0; i < tableCells_; ++i) {
      size_t end = bytes.find("<T>", pos);
      if (end == std::string_view::npos) return bytes.size();
      cells.emplace_back(bytes.substr(pos, end - pos));
      pos = end + 3;
    }
    return pos;
  }
  void WriteCells(std::string& out) const override {
    for (const auto& c : cells) out += c + "<T>";
  }
  std::vector<std::string> cells;
  int cellReads = 0;

 private:
  int number_, width_, height_, tableCells_;
};

}  // namespace tolvane::testing
