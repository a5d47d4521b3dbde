// Following links: what happens when the user activates a link, decided here
// and carried out through the small interface the main window implements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

class FileChooser;
class FolderChooser;
class ProcessRunner;
class TYKAoggetto;
class TYKAset;
class TYKAtesto;

// Where a link was activated.
enum class LinkSource { TextBox, Visual, Zone, FrameSet, Page, Other };

// The main window and its workspace, as link following sees them.
class LinkWorkspace {
 public:
  virtual ~LinkWorkspace() = default;
  virtual bool Closing() const = 0;
  virtual bool HasPage() const = 0;
  // Preview or reader mode: links act as in the published site.
  virtual bool ReadOnly() const = 0;
  virtual bool PageModified() const = 0;
  virtual void CommitPage() = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // After a link: the format toolbars and, when editing, the layout.
  virtual void AfterLink() = 0;
  // The page (working copy) of the text box where the link was activated; nothing outside one.
  virtual const TYKAtesto* ActivatingPage() const = 0;
  virtual bool ActivatedInMainWorkspace() const = 0;
  virtual int32_t ShownPage() const = 0;

  // Shows a page in the frame set where the link was activated (the main page there).
  virtual void ShowPage(int32_t slot) = 0;
  // In read mode a missing anchor is not reported.
  virtual bool GoToAnchor(int32_t number) = 0;
  virtual void ReplaceActivatingPage(int32_t slot) = 0;
  // The frame of that name, else an open separate or presentation window, else a new separate window.
  virtual void ShowInNamedFrame(std::string_view name, int32_t slot) = 0;
  // A separate window of that name (reused when open); an empty name: always a new one.
  virtual void ShowInSeparateWindow(std::string_view name, int32_t slot) = 0;
  virtual void ShowInPopup(int32_t slot, bool onMouseOver) = 0;
  virtual bool CloseSeparateWindow(std::string_view name) = 0;
  virtual void ShowKeywordSearch() = 0;
  virtual void PrintActivatingFrameSet() = 0;
  // False when no frame or window has that name.
  virtual bool PrintNamed(std::string_view name) = 0;
  virtual void RunPrintCommand() = 0;
  virtual void ShowCart(std::string_view article, bool add) = 0;
  virtual void RunPlugin(std::string_view text) = 0;
  virtual void ShowEmbeddedFile(TYKAoggetto& file) = 0;
  virtual void ImportPageFile(const std::string& path) = 0;
  // The main window's document operations.
  virtual bool OpenDocument(const std::string& path) = 0;  // empty: a new document
  virtual bool SaveDocument() = 0;
  // The markup of the page shown, for "dump:" links.
  virtual std::string ShownPageMarkup() const = 0;
};

class LinkFollower {
 public:
  LinkFollower(TYKAset& doc, LinkWorkspace& workspace, ProcessRunner& runner, FolderChooser* folders = nullptr,
               FileChooser* files = nullptr)
      : doc_(doc), ws_(workspace), runner_(runner), folders_(folders), files_(files) {}

  void FollowLink(LinkSource source, TYKAoggetto* target);
  void FollowObject(TYKAoggetto& object, int32_t anchor);
  void FollowSpecLink(TYKAoggetto& link);
  void FollowAddressLink(std::string_view address);
  void RunProgramLink(std::string_view address, const TYKAoggetto* object);

 private:
  std::string DocumentRelative(std::string_view path) const;
  std::string ProgramPath(std::string_view text);

  TYKAset& doc_;
  LinkWorkspace& ws_;
  ProcessRunner& runner_;
  FolderChooser* folders_;
  FileChooser* files_;
};

}  // namespace tolvane
