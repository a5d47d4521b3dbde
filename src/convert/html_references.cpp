#include "convert/html_references.h"

#include <algorithm>
#include <vector>

#include "common/file_names.h"
#include "convert/html_filters.h"
#include "convert/html_objects.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/media_records.h"
#include "model/object.h"

namespace tolvane {

using html_objects::HexValue;

namespace {

constexpr std::string_view kMarker = "!Ref";
constexpr size_t kHeadSize = 6;  // "!RefI:"
constexpr size_t kIdSize = 8;

const TYKAoggetto* InUse(const TYKAset& doc, int32_t id) {
  const TYKAoggetto* o = doc.FindObject(id);
  return o && !o->IsFree() ? o : nullptr;
}

// The pages whose bodies are being inserted: a page that inserts itself,
// directly or through others, would never end.
thread_local std::vector<const TYKAtesto*> insertedPages;
constexpr size_t kMaxInsertDepth = 8;

std::string PageBody(const TYKAtesto& page, const ReferenceScope& scope) {
  if (&page == scope.context.page || insertedPages.size() >= kMaxInsertDepth ||
      std::find(insertedPages.begin(), insertedPages.end(), &page) != insertedPages.end())
    return {};
  insertedPages.push_back(&page);
  std::string body = scope.pageBody ? scope.pageBody(page)
                                    : WritePageContent(page, scope.doc, scope.options, scope.naming, scope.context);
  insertedPages.pop_back();
  return body;
}

std::string Keywords(uint32_t styleClass, const ReferenceScope& scope) {
  const TYKAtesto* page = scope.context.page;
  if (!page) return {};
  const std::string folder =
      scope.options.separateKeywords ? ContainedPath(scope.options.keywordFolder) + "/" : std::string();
  std::string out;
  for (int k = 0; k < page_rec::kKeywordCount; ++k) {
    const TYKAoggetto* word = InUse(scope.doc, page->I32(page_rec::kKeywords + 4 * static_cast<size_t>(k)));
    if (!word || word->Kind() != keyword) continue;
    const std::string name = word->ObjectCaption();
    if (!out.empty()) out += ", ";
    out += "<a class=s" + std::to_string(styleClass) + " href=\"/" + HtmlText(folder) +
           HtmlText(ContainedPath(FileNameSafe(name))) + scope.options.PageExtension() + "\">" + HtmlText(name) +
           "</a>";
  }
  return out;
}

}  // namespace

std::string SizeWithUnit(int value, bool percent) { return std::to_string(value) + (percent ? "%" : ""); }

std::string ExpandReferences(std::string_view text, const ReferenceScope& scope) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t at = text.find(kMarker, pos);
    if (at == std::string_view::npos) break;
    out.append(text.substr(pos, at - pos));
    pos = at + kMarker.size();
    const bool headed = text.size() - at >= kHeadSize && text[at + 5] == ':';
    const char letter = headed ? text[at + 4] : '\0';
    const bool withId = letter == 'I' || letter == 'L' || letter == 'F' || letter == 'P' || letter == 'X' ||
                        letter == 'Y' || letter == 'K';
    if (!headed || (withId && text.size() - at < kHeadSize + kIdSize) || (!withId && letter != 'N')) {
      out += kMarker;  // not one of ours: copied, and the scan goes on after it
      continue;
    }
    const std::string_view digits = withId ? text.substr(at + kHeadSize, kIdSize) : std::string_view();
    pos = at + kHeadSize + digits.size();
    const auto id = static_cast<int32_t>(HexValue(digits));
    switch (letter) {
      case 'I':
      case 'L':
      case 'F':
        if (const TYKAoggetto* o = InUse(scope.doc, id)) {
          out += scope.naming.FileNameOf(*o, 0);
          if (o->Kind() != testoHtml) scope.context.AddResource(o);
        }
        break;
      case 'P':
        if (const TYKAoggetto* o = InUse(scope.doc, id); o && o->Kind() == testoHtml)
          out += PageBody(static_cast<const TYKAtesto&>(*o), scope);
        break;
      case 'X':
      case 'Y':
        if (scope.sized && scope.sized->Kind() == multiMedia) {
          const MultimediaView m(*scope.sized);
          out += SizeWithUnit(letter == 'X' ? m.Width() : m.Height(), m.SizeInPercent());
        }
        break;
      case 'N':
        if (scope.context.page)
          out += ChangeFileExt(scope.naming.FileNameOf(*scope.context.page, scope.context.writerMode), "");
        break;
      case 'K': out += Keywords(static_cast<uint32_t>(id), scope); break;
      default: break;
    }
  }
  if (pos < text.size()) out.append(text.substr(pos));
  return out;
}

}  // namespace tolvane
