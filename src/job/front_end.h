// What the load, the fit check and the conversion run ask of the program
// they run in. The window implements it over its controls, the command line
// over stderr; every step but the settings has a default that does nothing,
// so a front end without an entry list or a progress bar skips those.
#pragma once

#include <string>

#include "job/conversion_run.h"
#include "render/fonts.h"
#include "render/render_settings.h"

namespace kestrelpix {

class FrontEnd : public RunObserver {
 public:
  // The settings as the user chose them, read when a load, a measure or a
  // run starts. The charset is the chosen one: DEFAULT stands for the
  // code page of the document, and the caller resolves it.
  virtual RenderSettings ReadRenderSettings() = 0;
  // The fonts this program measures and draws with.
  virtual Fonts& GetFonts() = 0;

  // --- The load.
  // The file name box: "Load SRT" while nothing is loaded.
  virtual void SetFileNameText(const std::string& text) {}
  // After the fit check passed: the box shows the loaded file's full path.
  virtual void ShowLoadedFileName() {}
  virtual void SetCaption(const std::string& text) {}
  virtual void ClearEntryList() {}
  virtual void AddEntryRow(const std::string& row) {}
  virtual void SelectEntryRow(int row) {}
  // In command-line mode, one line of what the load noted about the file.
  virtual void WriteNote(const std::string& note) { Warn(note); }
  // How the user switches wrapping on, named when an entry is too wide;
  // empty names nothing.
  virtual std::string WrapHint() const { return ""; }

  // The conversion run reports to the front end as its observer
  // (Progress, FrameDrawn, ShouldStop).
};

}  // namespace kestrelpix
