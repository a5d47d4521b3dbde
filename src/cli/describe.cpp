#include "cli/describe.h"

#include <cstdio>
#include <functional>

#include "cli/json_writer.h"
#include "common/hex_id.h"
#include "model/document.h"
#include "model/ordered_tree.h"

namespace tolvane {
namespace {

// Colours are held with red in the low byte and shown as RRGGBB.
std::string Colour(int32_t value) {
  auto v = static_cast<uint32_t>(value);
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
  return buf;
}

// A header field shown as text, as a number, or as an object id (8 hex digits).
struct HeaderField {
  const char* name;
  std::function<std::string(const DocumentHeader&)> text;
  std::function<int64_t(const DocumentHeader&)> number;
  bool isId = false;
};

std::vector<HeaderField> HeaderFields() {
  auto str = [](size_t off, size_t size) {
    return [=](const DocumentHeader& h) { return AnsiToUtf8(h.Short(off, size)); };
  };
  auto i32 = [](size_t off) { return [=](const DocumentHeader& h) -> int64_t { return h.I32(off); }; };
  auto colour = [](size_t off) { return [=](const DocumentHeader& h) { return Colour(h.I32(off)); }; };
  return {
      {"title", str(hdr::kTitle, 80), nullptr},
      {"description", [](const DocumentHeader& h) { return AnsiToUtf8(h.Description()); }, nullptr},
      {"version", nullptr, [](const DocumentHeader& h) -> int64_t { return h.Version(); }},
      {"last_kind", nullptr, [](const DocumentHeader& h) -> int64_t { return h.LastKind(); }},
      {"save_counter", nullptr, i32(hdr::kSaveCounter)},
      {"cover_page", nullptr, i32(hdr::kCoverPage), true},
      {"summary_page", nullptr, i32(hdr::kSummaryPage), true},
      {"header_page", nullptr, i32(hdr::kHeaderPage), true},
      {"footer_page", nullptr, i32(hdr::kFooterPage), true},
      {"export_prefix", str(hdr::kExportPrefix, 17), nullptr},
      {"authors", str(hdr::kAuthors, 80), nullptr},
      {"company", str(hdr::kCompany, 80), nullptr},
      {"rights", str(hdr::kRights, 80), nullptr},
      {"background_colour", colour(hdr::kBackgroundColour), nullptr},
      {"text_colour", colour(hdr::kTextColour), nullptr},
      {"link_colour", colour(hdr::kLinkColour), nullptr},
      {"followed_link_colour", colour(hdr::kFollowedColour), nullptr},
      {"background_picture", nullptr, i32(hdr::kBackgroundPicture)},
      {"fixed_font", str(hdr::kFixedFont, 40), nullptr},
      {"proportional_font", str(hdr::kProportionalFont, 40), nullptr},
      {"pixels_per_inch", nullptr, [](const DocumentHeader& h) -> int64_t { return h.U16(hdr::kPixelsPerInch); }},
      {"language", nullptr, [](const DocumentHeader& h) -> int64_t { return h.U16(hdr::kLanguage); }},
      {"read_only", nullptr, [](const DocumentHeader& h) -> int64_t { return h.U8(hdr::kReadOnly); }},
  };
}

template <typename F>
void ForEachObject(TYKAset& doc, F f) {
  for (int k = 0; k <= kLastFileKind; ++k)
    for (int s = 0; s < doc.KindCount(k); ++s)
      if (TYKAoggetto* o = doc.ObjectAt(k, s)) f(*o);
}

const char* NodeType(TreeNode::Type t) {
  switch (t) {
    case TreeNode::Type::Root: return "root";
    case TreeNode::Type::Chapter: return "chapter";
    case TreeNode::Type::Object: return "page";
    case TreeNode::Type::Missing: return "missing";
    default: return "caption";
  }
}

template <typename F>
void ForEachTreeNode(const std::vector<std::unique_ptr<TreeNode>>& nodes, F f) {
  for (const auto& n : nodes) {
    f(*n);
    ForEachTreeNode(n->children, f);
  }
}

std::vector<std::pair<std::string, std::string>> Properties(TYKAset& doc) {
  TYKAoggetto* bag = doc.PropertiesObject();
  std::vector<std::pair<std::string, std::string>> out;
  if (bag)
    for (auto& [k, v] : bag->PropertyPairs()) out.emplace_back(AnsiToUtf8(k), AnsiToUtf8(v));
  return out;
}

}  // namespace

std::string DescribeJson(TYKAset& doc) {
  JsonWriter j;
  j.BeginObject().Key("header").BeginObject();
  for (const auto& field : HeaderFields()) {
    if (field.isId) j.Field(field.name, IdToHex(static_cast<int32_t>(field.number(doc.header()))));
    else if (field.number) j.Field(field.name, field.number(doc.header()));
    else j.Field(field.name, field.text(doc.header()));
  }
  j.EndObject().Key("kinds").BeginArray();
  for (int k = 0; k <= kLastFileKind; ++k) {
    j.BeginObject()
        .Field("kind", k)
        .Field("name", std::string(KindName(k)))
        .Field("record_size", RecordSize(k))
        .Field("slots", doc.KindCount(k))
        .Field("in_use", doc.KindCountInUse(k))
        .EndObject();
  }
  j.EndArray().Key("objects").BeginArray();
  ForEachObject(doc, [&](TYKAoggetto& o) {
    j.BeginObject()
        .Field("id", IdToHex(o.ObjectId()))
        .Field("kind", static_cast<int>(o.Kind()))
        .Field("slot", o.Slot())
        .Field("state", static_cast<int>(o.State()))
        .Field("free", o.IsFree())
        .Field("caption", AnsiToUtf8(o.ObjectCaption()))
        .Field("content_size", static_cast<int64_t>(o.ContentSize()))
        .Field("attribute_size", static_cast<int64_t>(o.Attributes() ? o.Attributes()->size() : 0))
        .EndObject();
  });
  j.EndArray().Key("page_tree").BeginArray();
  TYKAorderedTree tree(doc, testoHtml);
  tree.Load();
  ForEachTreeNode(tree.Nodes(), [&](const TreeNode& n) {
    j.BeginObject().Field("level", n.Level()).Field("type", std::string(NodeType(n.type)));
    if (n.type == TreeNode::Type::Object) j.Field("id", IdToHex(n.id));
    j.Field("caption", AnsiToUtf8(n.caption)).EndObject();
  });
  j.EndArray().Key("properties").BeginObject();
  for (const auto& [k, v] : Properties(doc)) j.Field(k, v);
  j.EndObject().EndObject();
  return j.text() + "\n";
}

std::string DescribeText(TYKAset& doc) {
  std::string out;
  char line[512];
  out += "Header\n";
  for (const auto& field : HeaderFields()) {
    std::string value;
    if (field.isId) value = IdToHex(static_cast<int32_t>(field.number(doc.header())));
    else if (field.number) value = std::to_string(field.number(doc.header()));
    else value = field.text(doc.header());
    std::snprintf(line, sizeof line, "  %-22s %s\n", field.name, value.c_str());
    out += line;
  }
  out += "\nKinds\n";
  std::snprintf(line, sizeof line, "  %4s %-16s %11s %8s %8s\n", "kind", "name", "record size", "slots", "in use");
  out += line;
  for (int k = 0; k <= kLastFileKind; ++k) {
    if (doc.KindCount(k) == 0) continue;
    std::snprintf(line, sizeof line, "  %4d %-16s %11d %8d %8d\n", k, KindName(k), RecordSize(k),
                  doc.KindCount(k), doc.KindCountInUse(k));
    out += line;
  }
  out += "\nObjects\n";
  std::snprintf(line, sizeof line, "  %-8s %4s %6s %5s %4s %10s %10s  %s\n", "id", "kind", "slot", "state",
                "free", "content", "attributes", "caption");
  out += line;
  ForEachObject(doc, [&](TYKAoggetto& o) {
    std::snprintf(line, sizeof line, "  %-8s %4d %6d %5d %4s %10llu %10zu  %s\n", IdToHex(o.ObjectId()).c_str(),
                  static_cast<int>(o.Kind()), o.Slot(), static_cast<int>(o.State()), o.IsFree() ? "yes" : "no",
                  static_cast<unsigned long long>(o.ContentSize()), o.Attributes() ? o.Attributes()->size() : 0,
                  AnsiToUtf8(o.ObjectCaption()).c_str());
    out += line;
  });
  out += "\nPage tree\n";
  TYKAorderedTree tree(doc, testoHtml);
  tree.Load();
  ForEachTreeNode(tree.Nodes(), [&](const TreeNode& n) {
    out += std::string(static_cast<size_t>(2 + 2 * n.Level()), ' ') + AnsiToUtf8(n.caption);
    if (n.type == TreeNode::Type::Chapter) out += "  (chapter)";
    if (n.type == TreeNode::Type::Object) out += "  (page " + IdToHex(n.id) + ")";
    out += "\n";
  });
  out += "\nProperties\n";
  for (const auto& [k, v] : Properties(doc)) {
    std::snprintf(line, sizeof line, "  %-22s %s\n", k.c_str(), v.c_str());
    out += line;
  }
  return out;
}

}  // namespace tolvane
