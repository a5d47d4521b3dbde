// Forms: form starts, fields, buttons, and the inline frame that shares the
// form field's kind.
#include <algorithm>

#include "convert/html_filters.h"
#include "convert/html_objects.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/form_records.h"
#include "model/object.h"
#include "model/picture_records.h"

namespace tolvane {

using namespace html_objects;

namespace {

// Shown option marks: the grid's "X", and a "yes" in either language's habit.
bool MarkedSelected(std::string_view mark) {
  return !mark.empty() && (mark[0] == 'X' || mark[0] == 'Y' || mark[0] == 'x' || mark[0] == 'y');
}

const char* ButtonTypeName(uint8_t type) {
  static constexpr const char* kNames[] = {"", "submit", "image", "reset", "clear"};
  return type < 5 ? kNames[type] : "";
}

const char* FrameTargetName(uint8_t target) {
  static constexpr const char* kNames[] = {"_top ", "_self ", "_parent ", "_blank "};
  return kNames[target < 4 ? target : 0];
}

bool StartsWith(std::string_view text, std::string_view head) { return text.compare(0, head.size(), head) == 0; }

}  // namespace

void HtmlObjectWriter::FormField(const TYKAoggetto& o, std::string& out) {
  const FormFieldView f(o);
  cellEmpty_ = false;
  const std::string name = HtmlText(f.Name());
  const std::string value = HtmlText(f.Value());
  switch (f.Type()) {
    case FormFieldType::Text:
    case FormFieldType::Password:
    case FormFieldType::File:
      out += "<input";
      if (f.Type() == FormFieldType::Password) out += " type=\"password\"";
      if (f.Type() == FormFieldType::File) out += " type=\"file\"";
      out += " name=\"" + name + "\"";
      if (f.ShowsInitialValue()) out += " value=\"" + value + "\"";
      out += " size=\"" + Number(f.Size()) + "\"" + Extra(o) + "/>\n";
      return;
    case FormFieldType::TextBox:
      out += "<textarea name=\"" + name + "\" " + "rows=\"" + Number(f.Rows()) + "\" cols=\"" + Number(f.Columns()) +
             "\"" + Extra(o) + ">\n";
      if (f.ShowsInitialValue()) out += HtmlText(f.InitialText());
      out += "\n</textarea>";
      return;
    case FormFieldType::Hidden:
    case FormFieldType::Radio:
    case FormFieldType::CheckBox: {
      const char* type = f.Type() == FormFieldType::Hidden  ? "hidden"
                         : f.Type() == FormFieldType::Radio ? "radio"
                                                            : "checkbox";
      out += std::string("<input type=\"") + type + "\" name=\"" + name + "\" " + "value=\"" + value + "\" ";
      if (f.CheckedByDefault() && f.Type() != FormFieldType::Hidden) out += "checked ";
      out += Extra(o) + "/>\n";
      return;
    }
    case FormFieldType::List:
    case FormFieldType::DropDown:
      out += "<select name=\"" + name + "\" ";
      if (f.Type() == FormFieldType::List) {
        out += " size=\"" + Number(f.Size()) + "\"";
        if (f.MultipleSelection()) out += " multiple";
      }
      out += Extra(o) + " />";
      for (const FormOption& option : f.Options())
        out += "<option value=\"" + HtmlText(option.value) + "\"" + (MarkedSelected(option.flag) ? " selected" : "") +
               " >" + HtmlText(option.text) + "\n";
      out += "</select>";
      return;
    default: return;
  }
}

void HtmlObjectWriter::IndependentFrame(const TYKAoggetto& o, std::string& out) {
  const IndependentFrameView v(o);
  cellEmpty_ = false;
  out += "<iframe ";
  if (v.MarginHeight() != 0 || v.MarginWidth() != 0)
    out += " marginheight=\"" + Number(v.MarginHeight()) + "\" marginwidth=\"" + Number(v.MarginWidth()) + "\"";
  else
    out += " frameborder=\"no\" ";
  const std::string name = v.Name();
  if (!name.empty()) out += " name=\"" + HtmlText(name) + "\"";
  const char* unit = v.SizeInPercent() ? "%" : "";
  out += " height=\"" + Number(v.Height()) + unit + "\" width=\"" + Number(v.Width()) + unit + "\" ";
  std::string source;
  const TYKAoggetto* page = InUse(v.ShownPageId());
  if (page && page->Kind() == testoHtml) {
    if (v.ShowFrames()) {
      source = naming_.FileNameOf(*page, 0);
    } else {
      source = naming_.FileNameOf(*page, 1);
      context_.AddSecondaryPage(page);
    }
  }
  out += " src=\"" + UrlSafe(source) + "\" target=" + FrameTargetName(v.LinkTarget()) + " bordercolor=#" +
         RgbHex(v.BorderColour()) + " scrolling=" + (v.Scrolling() != 0 ? "yes" : "no") +
         (v.NoExtraAttributes() ? std::string() : Extra(o)) + ">\n" + "</iframe>\n";
}

std::string HtmlObjectWriter::ClickAttributes(const TYKAoggetto& target, HtmlTextWriter& text) {
  if (target.Kind() != speclink)
    return " onClick=\"javascript:location='" + ScriptString(naming_.FileNameOf(target, 0)) + "'\" ";
  // The action the same link would take as an anchor, made a click handler.
  const std::string attributes = text.LinkAttributes(target);
  std::string action = AttributeValue(attributes, "href=\"");
  if (action.empty()) action = AttributeValue(attributes, "onMouseOver=\"");
  std::string out;
  if (StartsWith(action, "javascript:TolvaneF_open")) {
    out = " onClick=\"" + action + "\"";
  } else if (StartsWith(action, "javascript:")) {
    out = " onClick=\"" + action + "\" ";
  } else if (!action.empty()) {
    // A page, a place on this page or a named window: a click handler that
    // only names a file would not go there.
    const std::string window = AttributeValue(attributes, "target=\"");
    if (StartsWith(attributes, "target=\"") && !window.empty() && window != "_self")
      out = " onClick=\"javascript:window.open('" + ScriptString(action) + "','" + ScriptString(window) + "')\" ";
    else
      out = " onClick=\"javascript:location='" + ScriptString(action) + "'\" ";
  }
  return out + Extra(target);
}

void HtmlObjectWriter::Button(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const FormButtonView b(o);
  cellEmpty_ = false;
  const auto type = static_cast<uint8_t>(b.Action());
  const TYKAoggetto* picture = PictureResource(doc_, b.PictureId());
  const TYKAoggetto* action = InUse(b.PageId());
  const std::string file = picture ? UrlSafe(naming_.FileNameOf(*picture, context_.writerMode)) : std::string();
  const std::string size = " width=\"" + Number(b.DisplayWidth()) + "\" height=\"" + Number(b.DisplayHeight()) + "\"";
  if ((type == 3 || type == 4) && picture) {
    context_.AddResource(picture);
    out += "<a href=\"#\" onclick=\"document.forms[" + Number(std::max(forms_ - 1, 0)) + "].reset()\">" +
           "<img src=\"" + file + "\" border=\"0\"" + size + "/></a>\n";
    return;
  }
  const bool pictureSubmit = type == 1 && picture;
  if (pictureSubmit) out += "<input type=\"image\"";
  else if (action) out += "<input type=\"button\"";
  else out += std::string("<input type=\"") + ButtonTypeName(type) + "\"";
  const std::string name = b.Name();
  if (!action && !name.empty()) out += " name=\"" + HtmlText(name) + "\" ";
  if ((type == 2 || pictureSubmit) && picture) {
    context_.AddResource(picture);
    out += " src=\"" + file + "\" border=0" + size;
  }
  out += " value=\"" + HtmlText(b.Caption()) + "\"" + Extra(o) + (action ? ClickAttributes(*action, text) : "") + "/>\n";
}

void HtmlObjectWriter::FormStart(const TYKAoggetto& o, std::string& out) {
  const FormStartView f(o);
  // The form begins before the paragraph it stands in.
  std::string kept;
  const size_t cut = out.rfind("<div");
  if (cut != std::string::npos) {
    kept = out.substr(cut);
    out.resize(cut);
  }
  if (forms_ > 0) out += "</form>";
  out += "<form ";
  switch (f.Method()) {
    case FormMethod::Get:
    case FormMethod::Post:
      out += std::string("target=\"_top\" method=\"") + (f.Method() == FormMethod::Get ? "GET" : "POST") +
             "\" action=\"" + HtmlText(f.Action()) + "\" ";
      if (f.WritesEncoding()) out += " enctype=\"" + HtmlText(f.Encoding()) + "\"";
      break;
    case FormMethod::Mail:
      out += "method=\"POST\" action=\"mailto:" + HtmlText(f.Action()) + "\" enctype=\"text/plain\"";
      break;
    default: break;
  }
  out += Extra(o) + ">\n" + kept;
  ++forms_;
}

}  // namespace tolvane
