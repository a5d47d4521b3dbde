#include "convert/site_export.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <set>

#include "common/ansi.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "convert/html_references.h"
#include "convert/html_text.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "richtext/style_values.h"

namespace tolvane {
namespace {

constexpr const char* kPlaceholderMail = "mailto:renseignez-les-proprietes-de-l-hypertexte@example.invalid";
constexpr const char* kFallbackHost = "localhost";

std::string ReadText(FileSystem& fs, const std::string& path, bool* ok) {
  *ok = false;
  auto file = fs.OpenRead(path);
  if (!file) return {};
  std::string text(static_cast<size_t>(file->Size()), '\0');
  if (!text.empty() && !file->ReadAt(0, text.data(), text.size())) return {};
  *ok = true;
  return text;
}

}  // namespace

// A value inside a script string: written as stored, except what would end
// the string, the line or the script.
std::string ScriptText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == '\'' || c == '"') out += '\\', out += c;
    else if (c == '\r' || c == '\n') out += ' ';
    else if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') out += "<\\";
    else out += c;
  }
  return out;
}

namespace {

// Text for a comment of the style sheet: it cannot end the comment.
std::string CssCommentSafe(std::string text) {
  for (size_t p = text.find("*/"); p != std::string::npos; p = text.find("*/", p)) text.replace(p, 2, "* /");
  return text;
}

std::string CssStringSafe(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '"' || c == '\\' || c == '\n'; }),
             text.end());
  return text;
}

const char* AlignName(int a) {
  static constexpr const char* kNames[] = {"left", "right", "center", "justify"};
  return kNames[a >= 0 && a <= 3 ? a : 0];
}

// The words of a page's text: tags left out, entities decoded, lower case.
std::string PlainText(std::string_view markup) {
  std::string out;
  for (size_t i = 0; i < markup.size() && markup[i] != '\0';) {
    char c = markup[i];
    if (c == '<') {
      const char next = i + 1 < markup.size() ? markup[i + 1] : '\0';
      if (next == 'D' || next == 'F' || next == 'R') {
        const char closing[3] = {'<', static_cast<char>(next - 'A' + 'a'), '>'};
        size_t end = markup.find(std::string_view(closing, 3), i + 2);
        i = end == std::string_view::npos ? markup.size() : end + 3;
      } else {
        if (next == 'Z' || next == 'T') out += ' ';
        size_t end = markup.find('>', i);
        i = end == std::string_view::npos ? markup.size() : end + 1;
      }
      continue;
    }
    if (c == '&') {
      size_t end = markup.find(';', i);
      if (end != std::string_view::npos && end - i <= 10) {
        std::string_view name = markup.substr(i + 1, end - i - 1);
        if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "amp" || name == "#38") out += '&';
        else out += ' ';
        i = end + 1;
        continue;
      }
    }
    out += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    ++i;
  }
  return out;
}

// A JavaScript string literal of text in the document's character set:
// everything outside printable ASCII goes as \u escapes, so the page's own
// encoding does not matter and no "</script>" can appear.
std::string JsString(std::string_view ansi) {
  const std::string utf8 = AnsiToUtf8(ansi);
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = c;
    size_t n = 1;
    if (c >= 0xF0 && i + 3 < utf8.size()) cp = ((c & 7u) << 18) | ((utf8[i + 1] & 63u) << 12) | ((utf8[i + 2] & 63u) << 6) | (utf8[i + 3] & 63u), n = 4;
    else if (c >= 0xE0 && i + 2 < utf8.size()) cp = ((c & 15u) << 12) | ((utf8[i + 1] & 63u) << 6) | (utf8[i + 2] & 63u), n = 3;
    else if (c >= 0xC0 && i + 1 < utf8.size()) cp = ((c & 31u) << 6) | (utf8[i + 1] & 63u), n = 2;
    i += n;
    if (cp >= 0x20 && cp < 0x7F && cp != '"' && cp != '\\' && cp != '<' && cp != '>') {
      out += static_cast<char>(cp);
    } else if (cp < 0x10000) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", cp);
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace

// Writes files on a thread of its own, in the order given, so that making the
// next page and creating the last one's file go side by side.
class ExportFileWriter {
 public:
  explicit ExportFileWriter(FileSystem& fs) : fs_(fs), thread_([this] { Run(); }) {}
  ~ExportFileWriter() { Finish(); }
  void Write(std::string path, std::string relative, std::string text) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back({std::move(path), std::move(relative), std::move(text)});
    }
    wake_.notify_one();
  }
  // Waits for every file; the relative names of those that failed.
  std::vector<std::string> Finish() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    return failed_;
  }

 private:
  struct Job {
    std::string path, relative, text;
  };
  void Run() {
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      if (!WriteWholeFile(fs_, job.path, job.text.data(), job.text.size(), /*sync=*/false)) failed_.push_back(job.relative);
    }
  }
  FileSystem& fs_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stop_ = false;
  std::vector<std::string> failed_;  // written by the thread, read after it ends
  std::thread thread_;
};

TYKAtoHtml::TYKAtoHtml(TYKAset& doc, HtmlExportOptions options, std::string dataFolder)
    : doc_(doc), options_(std::move(options)), dataFolder_(std::move(dataFolder)), naming_(doc_, options_, doc_.ExpPrefix()) {}

TYKAtoHtml::~TYKAtoHtml() { EndWriting(); }

void TYKAtoHtml::BeginWriting() {
  if (!writer_) writer_ = std::make_unique<ExportFileWriter>(doc_.platform().files);
}

bool TYKAtoHtml::EndWriting() {
  if (!writer_) return true;
  const std::vector<std::string> failed = writer_->Finish();
  writer_.reset();
  for (const auto& name : failed) {
    doc_.messages().ShowInformation("Erreur (" + JoinPath(exportPath_, name) + ")");
    writtenSet_.erase(name);
    written_.erase(std::remove(written_.begin(), written_.end(), name), written_.end());
  }
  return failed.empty();
}

bool TYKAtoHtml::SetExportPath(const std::string& folder) {
  if (folder.empty()) return false;
  exportPath_ = folder;
  while (exportPath_.size() > 1 && (exportPath_.back() == '/' || exportPath_.back() == '\\')) exportPath_.pop_back();
  FileSystem& fs = doc_.platform().files;
  if (fs.IsDirectory(exportPath_) || fs.CreateDirectories(exportPath_)) return true;
  doc_.messages().ShowError("Erreur \xC3\xA0 la cr\xC3\xA9" "ation d'un r\xC3\xA9pertoire : \"" + exportPath_ +
                            "\" v\xC3\xA9rifiez le \"chemin\".");
  return false;
}

bool TYKAtoHtml::EnsureFolderOf(const std::string& path) {
  FileSystem& fs = doc_.platform().files;
  const std::string folder = ExtractFileDir(path);
  if (folder.empty() || fs.IsDirectory(folder) || fs.CreateDirectories(folder)) return true;
  doc_.messages().ShowError("Erreur \xC3\xA0 la cr\xC3\xA9" "ation d'un r\xC3\xA9pertoire : \"" + folder +
                            "\" v\xC3\xA9rifiez le \"chemin\".");
  return false;
}

std::string TYKAtoHtml::LocalPath(const std::string& name) const {
  const std::string relative = ContainedPath(name);
  if (relative.empty() || exportPath_.empty()) return {};
  return JoinPath(exportPath_, AnsiToUtf8(relative));
}

bool TYKAtoHtml::WriteFile(const std::string& name, std::string text) {
  const std::string relative = ContainedPath(name);
  if (relative.empty() || exportPath_.empty()) return false;
  FileSystem& fs = doc_.platform().files;
  const std::string path = LocalPath(relative);
  if (!EnsureFolderOf(path)) return false;
  // Exported files are made again at will: no sync for each of them.
  if (writer_) writer_->Write(path, relative, std::move(text));
  else if (!WriteWholeFile(fs, path, text.data(), text.size(), /*sync=*/false)) return false;
  if (writtenSet_.insert(relative).second) written_.push_back(relative);
  return true;
}

std::string TYKAtoHtml::Expand(std::string_view text) {
  // No current page: nothing joins a resource list.
  HtmlExportContext context;
  return ExpandReferences(text, ReferenceScope{doc_, options_, naming_, context, nullptr, {}});
}

std::string TYKAtoHtml::StyleSheetText() {
  std::string out;
  const std::string extra = Expand(doc_.ReadDocProperty("css-add"));
  if (!extra.empty()) out += extra + "\n";
  out += "/* Kelmori Tolvane CSS */\n\n";
  const int ppi = doc_.platform().system.ScreenPixelsPerInch();
  for (int slot = 0; slot < doc_.KindCount(stileParagrafo); ++slot) {
    const TYKAoggetto* s = doc_.ObjectAt(stileParagrafo, slot);
    if (!s || s->IsFree()) continue;
    const std::string n = std::to_string(slot);
    const int unit = StyleValue(s, FormatField::Unit);
    const auto style = static_cast<uint8_t>(StyleValue(s, FormatField::Style));
    out += "/* " + CssCommentSafe(s->ObjectCaption().substr(0, 35)) + " */\ndiv.s" + n + " {\n";
    out += "\tfont-family:\"" + CssStringSafe(StyleFace(s)) + "\";\n";
    out += "\tfont-size:" + std::to_string(StyleValue(s, FormatField::Size)) + "pt;\n";
    out += "\tcolor:#" + RgbHex(static_cast<uint32_t>(StyleValue(s, FormatField::Colour))) + ";\n";
    if (style & 2) out += "\tfont-style:italic;\n";
    if (style & 1) out += "\tfont-weight:bold;\n";
    if (style & 4) out += "\ttext-decoration:underline;\n";
    else if (style & 8) out += "\ttext-decoration:line-through;\n";
    const int32_t lineHeight = StyleValue(s, FormatField::LineHeight);
    if (lineHeight != -32000) out += "\tline-height:" + CssMeasure(lineHeight, unit, ppi) + ";\n";
    out += "\tmargin-left:" + CssMeasure(StyleValue(s, FormatField::Left), unit, ppi) + ";\n";
    out += "\tmargin-right:" + CssMeasure(StyleValue(s, FormatField::Right), unit, ppi) + ";\n";
    out += "\tmargin-top:" + CssMeasure(StyleValue(s, FormatField::Before), unit, ppi) + ";\n";
    out += "\tmargin-bottom:" + CssMeasure(StyleValue(s, FormatField::After), unit, ppi) + ";\n";
    out += "\ttext-indent:" + CssMeasure(StyleValue(s, FormatField::Indent), unit, ppi) + ";\n";
    out += std::string("\ttext-align:") + AlignName(StyleValue(s, FormatField::Alignment)) + ";\n";
    const int list = StyleValue(s, FormatField::ListMark);
    out += list == 6 ? "\tlist-style-type:decimal;" : list == 10 ? "\tlist-style-type:disc;" : "\tlist-style-type:none;";
    out += "\t}\na.s" + n + " {\n";
    out += "\tcolor:#" + RgbHex(static_cast<uint32_t>(StyleValue(s, FormatField::LinkColour))) + ";\n";
    const int32_t linkSize = StyleValue(s, FormatField::LinkSize);
    if (linkSize > 0) out += "\tfont-size:" + std::to_string(linkSize) + "pt;\n";
    const auto link = static_cast<uint8_t>(StyleValue(s, FormatField::LinkStyle));
    if (link & 2) out += "\tfont-style:italic;\n";
    if (link & 1) out += "\tfont-weight:bold;\n";
    if (!(link & 4)) out += "\ttext-decoration:none;\n";
    else if (link & 8) out += "\ttext-decoration:line-through;\n";
    out += "\t}\n";
  }
  return out;
}

bool TYKAtoHtml::WriteStyleSheet() { return WriteFile(ContainedPath(naming_.Prefix()) + "_style.css", StyleSheetText()); }

std::string TYKAtoHtml::ScriptFileText() {
  FileSystem& fs = doc_.platform().files;
  MessageBoxes& messages = doc_.messages();
  std::string templatePath = doc_.ReadDocProperty("cart");
  if (templatePath.empty()) templatePath = "js.js";
  if (ExtractFileDir(templatePath).empty()) templatePath = JoinPath(JoinPath(dataFolder_, "HtmlModele"), templatePath);
  bool ok = false;
  std::string text = ReadText(fs, templatePath, &ok);
  if (!ok) {
    const std::string fallback = JoinPath(JoinPath(dataFolder_, "HtmlModele"), "js.js");
    bool fallbackOk = false;
    std::string fallbackText = ReadText(fs, fallback, &fallbackOk);
    if (!fallbackOk) {
      messages.ShowError("Fichier introuvable : " + templatePath + "\nFichier introuvable : " + fallback);
      return {};
    }
    if (messages.AskYesNo("Fichier introuvable : " + templatePath + " Remplace avec: " + fallback + "?") != Answer::Yes)
      return "{}\n";
    doc_.WriteDocProperty("cart", fallback);
    text = std::move(fallbackText);
  }
  text = Expand(text);
  std::string sendTo = doc_.ReadDocProperty("cartemail");
  if (sendTo.empty()) sendTo = kPlaceholderMail;
  auto colour = [&](const char* key, uint32_t byDefault) {
    const std::string v = doc_.ReadDocProperty(key);
    char* end = nullptr;
    const long n = v.empty() ? -1 : std::strtol(v.c_str(), &end, 10);
    return RgbHex(n >= 0 && end && *end == '\0' ? static_cast<uint32_t>(n) : byDefault);
  };
  std::string out = "var sendto='" + ScriptText(sendTo) + "';\n" + "var faxto=';" +
                    ScriptText(doc_.ReadDocProperty("cartfax")) + "';\n" + "var colpari='#" +
                    colour("cartcolp", 0xFFF080) + "';\n" + "var coldisp='#" + colour("cartcold", 0xFFE080) + "';\n" +
                    "var ismail=" + (AnsiStartsWithText(sendTo, "mailto:") ? "true;\n" : "false;\n") + "var rmk='" +
                    ScriptText(doc_.ReadDocProperty("cartRemark")) + "';\n" + text;
  const std::string marker = "//###custom###";
  if (size_t at = out.find(marker); at != std::string::npos) {
    std::string lines;
    std::string custom = doc_.ReadDocProperty("cartCustom");
    size_t start = 0;
    while (start < custom.size()) {
      size_t end = custom.find('\n', start);
      if (end == std::string::npos) end = custom.size();
      std::string line = custom.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::string id = line;
      for (auto& c : id)
        if (!std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) > 127) c = '_';
      lines += "    write(\"" + ScriptText(line) + " <input name=idcustom_" + id + " ><br>\")\n";
      start = end + 1;
    }
    out.replace(at, marker.size(), lines);
  }
  return out;
}

bool TYKAtoHtml::WriteScriptFile() {
  const std::string text = ScriptFileText();
  return WriteFile(ContainedPath(naming_.Prefix()) + "_js.js", text);
}

std::vector<const TYKAoggetto*> TYKAtoHtml::AllPages() const {
  std::vector<const TYKAoggetto*> pages;
  for (int s = 0; s < doc_.KindCount(testoHtml); ++s)
    if (const TYKAoggetto* p = doc_.ObjectAt(testoHtml, s); p && !p->IsFree()) pages.push_back(p);
  return pages;
}

std::string TYKAtoHtml::SearchPageText(const std::vector<const TYKAoggetto*>& pages) {
  const std::string path = JoinPath(JoinPath(dataFolder_, "Utils"), "search-tolvane.htm");
  bool ok = false;
  std::string text = ReadText(doc_.platform().files, path, &ok);
  if (!ok) return "Fichier introuvable : " + path;
  std::string host;
  const std::string& domain = options_.domain;
  if (size_t www = domain.find("www."); www != std::string::npos) host = domain.substr(www);
  else if (size_t p = domain.find("p://"); p != std::string::npos) host = domain.substr(p + 4);
  if (!host.empty() && host.back() == '/') host.pop_back();
  if (host.empty()) host = kFallbackHost;
  // The index of the site's words, written into the page itself so that it
  // works from a server and from files alike.
  std::string index = "[";
  std::vector<std::string_view> words;
  for (const TYKAoggetto* page : pages) {
    const std::string plain = AnsiLowerCase(PlainText(ContentText(*page)) + " " + page->ObjectCaption() + " ");
    words.clear();
    size_t start = std::string::npos;
    for (size_t i = 0; i < plain.size(); ++i) {
      const auto u = static_cast<unsigned char>(plain[i]);
      const bool inWord = std::isalnum(u) || u >= 0xC0 || u == '-';
      if (inWord && start == std::string::npos) start = i;
      if (!inWord && start != std::string::npos) {
        if (i - start > 1) words.push_back(std::string_view(plain).substr(start, i - start));
        start = std::string::npos;
      }
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    std::string all;
    for (const auto& w : words) {
      if (!all.empty()) all += ' ';
      all += w;
    }
    index += std::string(index.size() > 1 ? ",\n" : "\n") + "{f:" + JsString(naming_.FileNameOf(*page, 0)) +
             ",t:" + JsString(page->ObjectCaption()) + ",w:" + JsString(all) + "}";
  }
  index += "\n]";
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 5, "!RefD") == 0) out += host, i += 5;
    else if (text.compare(i, 5, "!RefL") == 0) out += ContainedPath(naming_.Prefix()) + "_style.css", i += 5;
    else if (text.compare(i, 5, "!RefW") == 0) out += index, i += 5;
    else out += text[i++];
  }
  return out;
}

bool TYKAtoHtml::WriteSearchPage() { return WriteFile("search-tolvane.htm", SearchPageText(AllPages())); }

std::string TYKAtoHtml::KeywordPageName(const TYKAoggetto& word) const {
  const std::string name = ContainedPath(FileNameSafe(word.ObjectCaption()));
  if (name.empty()) return {};
  return (options_.separateKeywords ? ContainedPath(options_.keywordFolder) + "/" : std::string()) + name +
         options_.PageExtension();
}

bool TYKAtoHtml::WriteKeywordPages() {
  bool ok = true;
  const std::vector<const TYKAoggetto*> pages = AllPages();
  for (int s = 0; s < doc_.KindCount(keyword); ++s) {
    const TYKAoggetto* word = doc_.ObjectAt(keyword, s);
    if (!word || word->IsFree()) continue;
    const std::string name = KeywordPageName(*word);
    // A keyword named like another file of the site must not replace it.
    if (name.empty() || (writtenSet_.count(name) && !keywordPages_.count(name)))
      continue;
    keywordPages_.insert(name);
    const std::string up = options_.separateKeywords ? "../" : "";
    std::string html = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html><head>\n";
    const std::string charSet = doc_.CharSet();
    if (!charSet.empty())
      html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + HtmlText(charSet) + "\"/>\n";
    html += "<title>" + HtmlText(word->ObjectCaption()) + "\n</title>\n<link href=\"" + up +
            ContainedPath(naming_.Prefix()) + "_style.css\" rel=\"stylesheet\" type=\"text/css\"/>\n</head>\n<body>\n<h1>" +
            HtmlText(word->ObjectCaption()) + "</h1>\n<ul>\n";
    for (const TYKAoggetto* page : pages)
      for (int k = 0; k < page_rec::kKeywordCount; ++k)
        if (page->I32(page_rec::kKeywords + 4 * static_cast<size_t>(k)) == word->ObjectId()) {
          html += "<li><a href=\"" + up + naming_.FileNameOf(*page, 0) + "\">" + HtmlText(page->ObjectCaption()) +
                  "</a></li>\n";
          break;
        }
    html += "</ul>\n</body></html>\r\n";
    ok = WriteFile(name, html) && ok;
  }
  return ok;
}

bool TYKAtoHtml::WritePageFile(const TYKAoggetto& page, int mode, HtmlExportContext& context, bool quiet) {
  HtmlPageWriter writer(doc_, options_, naming_, objectWriter);
  writer.watermark = watermark;
  context.writerMode = mode;
  const std::string html = writer.WritePage(static_cast<const TYKAtesto&>(page), context);
  const std::string name = naming_.FileNameOf(page, mode);
  if (WriteFile(name, html)) return true;
  if (!quiet) doc_.messages().ShowInformation("Erreur (" + JoinPath(exportPath_, name) + ") - Pag." + std::to_string(page.Slot()));
  return false;
}

bool TYKAtoHtml::WriteResource(const TYKAoggetto& object) {
  const std::string relative = ContainedPath(naming_.FileNameOf(object, 2));
  if (relative.empty() || exportPath_.empty()) return true;
  FileSystem& fs = doc_.platform().files;
  const std::string path = LocalPath(relative);
  if (!EnsureFolderOf(path)) return false;
  fs.Remove(path);
  if (!object.ExtractToFile(path, /*sync=*/false)) return false;
  if (writtenSet_.insert(relative).second) written_.push_back(relative);
  return true;
}

std::string TYKAtoHtml::RedirectFileName(const TYKAoggetto& page) {
  if (page.Kind() != testoHtml || page.IsFree()) return {};
  HtmlPageWriter writer(doc_, options_, naming_, objectWriter);
  return writer.RedirectFileName(static_cast<const TYKAtesto&>(page));
}

bool TYKAtoHtml::WriteRedirectFile(const TYKAoggetto& page) {
  if (page.Kind() != testoHtml || page.IsFree()) return true;
  const auto& p = static_cast<const TYKAtesto&>(page);
  HtmlPageWriter writer(doc_, options_, naming_, objectWriter);
  const std::string name = writer.RedirectFileName(p);
  return name.empty() || WriteFile(name, writer.WriteRedirectPage(p));
}

bool TYKAtoHtml::ExportPages(const std::vector<int32_t>& pageIds) {
  BeginWriting();
  bool ok = WriteStyleSheet();
  ok = WriteScriptFile() && ok;
  // The search page indexes the pages exported, and only them.
  std::vector<const TYKAoggetto*> indexed;
  for (int32_t id : pageIds)
    if (const TYKAoggetto* p = doc_.FindObject(id); p && p->Kind() == testoHtml && !p->IsFree()) indexed.push_back(p);
  ok = WriteFile("search-tolvane.htm", SearchPageText(indexed)) && ok;
  std::vector<const TYKAoggetto*> resources, secondary;
  const int total = static_cast<int>(pageIds.size());
  for (int i = 0; i < total; ++i) {
    const TYKAoggetto* page = doc_.FindObject(pageIds[static_cast<size_t>(i)]);
    if (!page || page->Kind() != testoHtml || page->IsFree()) continue;
    if (OnExpProgress) OnExpProgress(i, total, 1);
    HtmlExportContext context;
    context.resources = &resources;
    context.secondaryPages = &secondary;
    ok = WritePageFile(*page, 0, context) && ok;
    ok = WriteRedirectFile(*page) && ok;
  }
  for (size_t i = 0; i < secondary.size(); ++i) {
    if (OnExpProgress) OnExpProgress(static_cast<int>(i), static_cast<int>(secondary.size()), 2);
    HtmlExportContext context;
    context.resources = &resources;
    ok = WritePageFile(*secondary[i], 1, context) && ok;
  }
  for (size_t i = 0; i < resources.size(); ++i) {
    if (OnExpProgress) OnExpProgress(static_cast<int>(i), static_cast<int>(resources.size()), 3);
    ok = WriteResource(*resources[i]) && ok;
  }
  ok = WriteKeywordPages() && ok;
  return EndWriting() && ok;
}

bool TYKAtoHtml::ExportPage(int32_t pageId, std::vector<int32_t>& written, std::vector<const TYKAoggetto*>& resources) {
  bool ok = WriteStyleSheet();
  ok = WriteSearchPage() && ok;
  const TYKAoggetto* page = doc_.FindObject(pageId);
  if (page && page->Kind() == testoHtml && !page->IsFree()) {
    std::vector<const TYKAoggetto*> secondary;
    HtmlExportContext context;
    context.resources = &resources;
    context.secondaryPages = &secondary;
    if (OnExpProgress) OnExpProgress(0, 1, 1);
    ok = WritePageFile(*page, 0, context) && ok;
    written.push_back(pageId);
    for (size_t i = 0; i < secondary.size(); ++i) {
      if (OnExpProgress) OnExpProgress(static_cast<int>(i), static_cast<int>(secondary.size()), 2);
      HtmlExportContext inner;
      inner.resources = &resources;
      ok = WritePageFile(*secondary[i], 1, inner) && ok;
      written.push_back(secondary[i]->ObjectId());
    }
  }
  return WriteScriptFile() && ok;
}

bool TYKAtoHtml::ExportAllPages(std::vector<const TYKAoggetto*>& resources) {
  BeginWriting();
  bool ok = WriteStyleSheet();
  ok = WriteScriptFile() && ok;
  ok = WriteSearchPage() && ok;
  std::vector<const TYKAoggetto*> secondary;
  const std::vector<const TYKAoggetto*> pages = AllPages();
  for (size_t i = 0; i < pages.size(); ++i) {
    if (OnExpProgress) OnExpProgress(static_cast<int>(i), static_cast<int>(pages.size()), 1);
    HtmlExportContext context;
    context.resources = &resources;
    context.secondaryPages = &secondary;
    ok = WritePageFile(*pages[i], 0, context) && ok;
  }
  for (size_t i = 0; i < secondary.size(); ++i) {
    if (OnExpProgress) OnExpProgress(static_cast<int>(i), static_cast<int>(secondary.size()), 2);
    HtmlExportContext context;
    context.resources = &resources;
    if (!WritePageFile(*secondary[i], 1, context, /*quiet=*/true)) {
      doc_.messages().ShowWarning("Warning: " + secondary[i]->ObjectCaption() + " (" +
                                  ExtractFileName(naming_.FileNameOf(*secondary[i], 1)) + ")");
      ok = false;
    }
  }
  ok = WriteKeywordPages() && ok;
  return EndWriting() && ok;
}

}  // namespace tolvane
