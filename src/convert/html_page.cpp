#include "convert/html_page.h"

#include "common/ansi.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "convert/html_frameset.h"
#include "convert/html_objects.h"
#include "convert/html_references.h"
#include "model/document.h"
#include "model/object.h"

namespace tolvane {
namespace {

constexpr size_t kOwnFileNameSize = 41;
constexpr const char* kDoctype = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n";
constexpr const char* kValidator = "https://validator.w3.org/";

// A document name fit for an HTML comment: no "--" and no ">".
std::string CommentSafe(std::string text) {
  for (auto& c : text)
    if (c == '>') c = '_';
  for (size_t p = text.find("--"); p != std::string::npos; p = text.find("--", p)) text[p] = '_';
  return text;
}

std::string Trimmed(std::string_view t) {
  size_t a = t.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  size_t b = t.find_last_not_of(" \t\r\n");
  return std::string(t.substr(a, b - a + 1));
}

}  // namespace

std::string HtmlPageWriter::Title(const TYKAtesto& page) {
  std::string name = page.ObjectCaption();
  if (!name.empty() && name[0] == '{') {
    if (size_t close = name.find('}'); close != std::string::npos) name = name.substr(close + 1);
  }
  return name;
}

const TYKAtesto* HtmlPageWriter::SharedPage(const TYKAtesto& page, size_t pageField, size_t docField) const {
  int32_t id = page.I32(pageField);
  if (id == -1) id = doc_.header().I32(docField);
  if (id < 0) return nullptr;
  const TYKAoggetto* o = doc_.FindObject(id);
  if (!o || o->Kind() != testoHtml || o->IsFree() || o == &page) return nullptr;
  return static_cast<const TYKAtesto*>(o);
}

void HtmlPageWriter::WriteBody(std::string& out, int part, bool inFrame, HtmlExportContext& context,
                               const TYKAtesto* page) {
  if (!page || page->IsFree()) return;
  const int mode = context.writerMode;
  if (part == kBodyWhole || part == kBodyTagOnly) {
    out += "<body";
    if (mode != 3) out += std::string(" w3c=\"") + kValidator + "\"";
    const int32_t margin = doc_.GlobalMargin();
    if (margin != -1) {
      const std::string m = std::to_string(margin);
      for (const char* a : {"marginheight", "marginwidth", "topmargin", "leftmargin", "rightmargin", "bottommargin"})
        out += std::string(" ") + a + "=" + m;
    }
    const TYKAoggetto* picture = doc_.ObjectAt(immagine, page->I32(page_rec::kBackgroundPicture));
    if (picture && !picture->IsFree()) {
      const std::string file = naming_.FileNameOf(*picture, mode);
      const int32_t bmode = page->I32(page_rec::kBackgroundMode);
      const bool fixed = bmode >= 0 && bmode <= 3 && (bmode & 1), once = bmode >= 0 && bmode <= 3 && (bmode & 2);
      if (once) {
        out += " style=\"background-image: url(" + file + "); background-repeat: no-repeat;";
        if (fixed) out += " background-attachment: fixed;";
        out += "\"";
      } else {
        out += " background=\"" + file + "\"";
        if (fixed) out += " style=\"background-attachment: fixed;\"";
      }
      context.AddResource(picture);
    }
    if (mode != 3) {
      out += " text=\"#" + RgbHex(static_cast<uint32_t>(page->I32(page_rec::kTextColour))) + "\" link=\"#" +
             RgbHex(static_cast<uint32_t>(page->I32(page_rec::kLinkColour))) + "\" vlink=\"#" +
             RgbHex(static_cast<uint32_t>(page->I32(page_rec::kFollowedColour))) + "\" bgcolor=\"#" +
             RgbHex(static_cast<uint32_t>(page->I32(page_rec::kBackgroundColour))) + "\"";
    }
    out += ">\n";
    if (mode != 3) out += "<base target=\"_top\"/>\n";
  }
  if (inFrame && mode == 1 && page->U8(page_export_rec::kOnlyInFrameSet) != 0)
    out += "<script language=javascript>\n<!--\nif(self.name==top.name){\nlocation.href=\"" +
           naming_.FileNameOf(*page, 0) + "\"\n}\n// -->\n</script>\n";
  if (part == kBodyTagOnly) return;
  HtmlTextWriter text(doc_, options_, naming_, context);
  std::unique_ptr<HtmlTextWriter::ObjectWriter> objects =
      objects_ ? objects_(text) : std::make_unique<HtmlObjectWriter>(text);
  text.WriteText(ContentText(*page), out, objects.get());
  if (objects) objects->EndOfBody(out);
}

std::string HtmlPageWriter::WritePage(const TYKAtesto& page, HtmlExportContext& context) {
  const int mode = context.writerMode;
  context.page = &page;
  context.pageIndex = page.Slot();
  context.scripts = 0;
  context.headEntries.clear();
  context.rollovers.clear();

  std::string out = kDoctype;
  out += "<html><head>\n";
  const std::string charSet = doc_.CharSet();
  if (!charSet.empty()) {
    if (mode == 3) out += "<meta http-equiv=\"Content-Type\" content=\"application/xhtml+xml; charset=utf-8\"/>\n";
    else out += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + HtmlText(charSet) + "\"/>\n";
  }
  const std::string title = Title(page);
  if (!title.empty()) out += "<title>" + HtmlText(doc_.ReadDocProperty("titleprefix")) + HtmlText(title) + "\n</title>\n";
  if (options_.metaKeywords) {
    bool any = false;
    for (int k = 0; k < page_rec::kKeywordCount; ++k) {
      const TYKAoggetto* word = doc_.FindObject(page.I32(page_rec::kKeywords + 4 * static_cast<size_t>(k)));
      if (!word || word->Kind() != keyword || word->IsFree()) continue;
      if (!any) out += "<meta name=\"keywords\" content=\"";
      any = true;
      out += HtmlText(word->ObjectCaption()) + ",";
    }
    if (any) out += "\"/>\n";
  }
  const TYKAoggetto* next = doc_.FindObject(page.I32(page_rec::kNextScene));
  if (next && next->Kind() == testoHtml && !next->IsFree())
    out += "<meta http-equiv=\"refresh\" content=\"" + std::to_string(page.U16(page_export_rec::kNextSceneDelay)) +
           ";URL=" + naming_.FileNameOf(*next, 0) + "\"/>\n";
  // The author's own head text goes out as written (its markers expanded):
  // that is what it is for.
  out += ExpandReferences(page.AttributeText(), ReferenceScope{doc_, options_, naming_, context, nullptr, {}});
  if (options_.metaTitle && !title.empty()) out += "<meta name=\"title\" content=\"" + HtmlText(title) + "\"/>\n";
  // The comment that lets an import recognise the page names the document by
  // its file name only: exported pages go onto public servers.
  out += "\n<!-- pagTolvane=\"" + std::to_string(page.ObjectId()) + ";" +
         CommentSafe(ExtractFileName(doc_.YKAFileName())) + "\" -->\n<!-- ver3.0 -->\n";
  const std::string authors = doc_.header().Short(hdr::kAuthors, 80);
  if (!authors.empty()) out += "<meta name=\"author\" content=\"" + HtmlText(authors) + "\"/>\n";
  const std::string rights = doc_.header().Short(hdr::kRights, 80);
  if (!rights.empty()) out += "<meta name=\"copyright\" content=\"" + HtmlText(rights) + "\"/>\n";
  out += "<meta name=\"generator\" content=\"Kelmori Tolvane\"/>\r\n";
  out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\"/>\n<link href=\"" +
         ContainedPath(naming_.Prefix()) + "_style.css\" rel=\"stylesheet\" type=\"text/css\"/>\n";

  std::string body;
  // A page with a frame map is a frameset first; its own text is what
  // browsers without frames show.
  bool frames = false;
  if (mode == 0 || mode == 3) {
    const TYKAoggetto* map = doc_.ObjectAt(mappaFrame, page.I32(page_rec::kFrameSet));
    if (map && !map->IsFree())
      if (auto root = TNonVisCornice::ReadMapObject(*map)) {
        WriteFrameset(*root, body, doc_, naming_, context);
        body += "\n<noframes>\r\n";
        context.scripts = script_need::kSharedFile;
        frames = true;
      }
  }
  const TYKAtesto* header = SharedPage(page, page_rec::kHeaderPage, hdr::kHeaderPage);
  const TYKAtesto* footer = SharedPage(page, page_rec::kFooterPage, hdr::kFooterPage);
  if (header) {
    WriteBody(body, kBodyTagOnly, false, context, &page);
    WriteBody(body, kBodyContent, false, context, header);
    WriteBody(body, kBodyContent, true, context, &page);
  } else {
    WriteBody(body, kBodyWhole, true, context, &page);
  }
  if (footer) WriteBody(body, kBodyFooter, false, context, footer);

  const uint8_t flags = context.scripts;
  if (flags & script_need::kSharedFile)
    out += "<script src=\"" + ContainedPath(naming_.Prefix()) + "_js.js\"></script>\n";
  if (flags != 0 && flags != script_need::kSharedFile) {
    out += "<script language=\"javascript\">\n<!--//\n";
    if (flags & script_need::kBrowser)
      out += "\r\nTolvaneC_bname = navigator.appName;\r\nTolvaneC_bver = parseFloat(navigator.appVersion);\r\n";
    if (flags & script_need::kRollover)
      out += "\r\nTolvaneC_SensOk ='false';\r\nif (TolvaneC_bver >= 3.0) { TolvaneC_SensOk = 'true' } \r\n\r\n"
             "function TolvaneF_over(img,ref)\r\n{\r\n  if (TolvaneC_SensOk=='true') { document.images[img].src = ref }\r\n}\r\n";
    if (flags & script_need::kOpen)
      out += "\r\nfunction TolvaneF_open(newURL, newName, newFeatures, orgName) \r\n{\r\n"
             "  var remote = open(newURL, newName, newFeatures);\r\n  if (remote.opener == null) remote.opener = window;\r\n"
             "  remote.opener.name = orgName;\r\n}\r\n";
    if (flags & script_need::kPlainOpen)
      out += "\r\nfunction TolvaneF_openB(newURL) \r\n{\r\n  var remote = open(newURL);\r\n}\r\n";
    if (flags & script_need::kClose)
      out += "\r\nfunction TolvaneF_close(finName)\r\n{\r\n  TolvaneC_tmp=open('', finName);\r\n  TolvaneC_tmp.close( );\r\n}\r\n";
    out += "\n//-->\n</script>\n";
  }
  for (const auto& block : context.headEntries) {
    for (const auto& line : block) out += line + "\r\n";
    out += "\n";
  }
  if (mode != 3) out += "<base target=\"_top\"/>\n";
  out += "</head>\n";
  out += body;
  if (!context.rollovers.empty()) {
    out += "\n<script language=\"javascript\">\n<!--//\n  if (TolvaneC_SensOk == 'true')\n  {";
    for (size_t n = 0; n < context.rollovers.size(); ++n)
      out += "\n  TolvaneP_" + std::to_string(n) + "= new Image();\n  TolvaneP_" + std::to_string(n) + ".src=\"" +
             naming_.FileNameOf(*context.rollovers[n], mode) + "\";";
    out += "\n  }\n//-->\n</script>\r\n";
  }
  if (frames) out += "</noframes>";
  if (!Trimmed(watermark).empty()) out += watermark;
  out += "\n</body></html>\r\n";
  context.headEntries.clear();
  context.rollovers.clear();
  return out;
}

std::string HtmlPageWriter::RedirectFileName(const TYKAtesto& page) const {
  if (options_.ownPageNames) return {};
  const bool set = page.U8(page_rec::kFileNameOverride) < kOwnFileNameSize;
  std::string name =
      set ? ContainedPath(FileNameSafe(page.ShortString(page_rec::kFileNameOverride, kOwnFileNameSize))) : std::string();
  if (name.empty() && page.ObjectId() == doc_.CoverPage() && doc_.header().U8(hdr::kCoverFileName) != 0)
    name = ContainedPath(naming_.Prefix()) + "_index" + options_.PageExtension();
  // A redirect never takes the place of the page it leads to.
  if (name == naming_.FileNameOf(page, 0)) return {};
  return name;
}

std::string HtmlPageWriter::WriteRedirectPage(const TYKAtesto& page) {
  std::string out = kDoctype;
  out += "<html><head>\n";
  const std::string title = Title(page);
  if (!title.empty()) out += "<title>" + HtmlText(doc_.ReadDocProperty("titleprefix")) + HtmlText(title) + "\n</title>\n";
  out += "<!-- pagTolvane=\"" + std::to_string(page.ObjectId()) + ";" + CommentSafe(ExtractFileName(doc_.YKAFileName())) +
         "\" REDIR -->\n";
  const std::string charSet = doc_.CharSet();
  if (!charSet.empty()) out += "<META http-equiv=\"Content-Type\" content=\"text/html; charset=" + HtmlText(charSet) + "\">\n";
  const std::string target = naming_.FileNameOf(page, 0);
  out += "<META HTTP-EQUIV=\"refresh\" CONTENT=\"0;URL=" + target + "\">\n</HEAD>\n<BODY";
  const TYKAoggetto* picture = doc_.ObjectAt(immagine, page.I32(page_rec::kBackgroundPicture));
  if (picture && !picture->IsFree()) out += " BACKGROUND=\"" + naming_.FileNameOf(*picture, 2) + "\"";
  out += " TEXT=#" + RgbHex(static_cast<uint32_t>(page.I32(page_rec::kTextColour))) +
         " LINK=#" + RgbHex(static_cast<uint32_t>(page.I32(page_rec::kLinkColour))) +
         " VLINK=#" + RgbHex(static_cast<uint32_t>(page.I32(page_rec::kFollowedColour))) +
         " BGCOLOR=#" + RgbHex(static_cast<uint32_t>(page.I32(page_rec::kBackgroundColour))) + ">\n";
  out += "<p><p><p><p><center><A HREF=\"" + target + "\">Chargement en cours...</A></center>\n</BODY></HTML>\n";
  return out;
}

}  // namespace tolvane
