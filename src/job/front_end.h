// What the load, the fit check and the conversion run ask of the program
// they run in. The window implements it over its controls, the command line
// over stderr; every step but the settings has a default that does nothing,
// so a front end without an entry list or a progress bar skips those.
#pragma once

#include <string>

#include "base/frame_bitmap.h"
#include "base/message_sink.h"
#include "render/fonts.h"
#include "render/render_settings.h"

namespace kestrelpix {

class FrontEnd : public MessageSink {
 public:
  // The settings as the user chose them, read afresh for every entry (and
  // once at the start of a run for the colours, the palette, the frame rate
  // and the language). The charset is the chosen one: DEFAULT stands for the
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

  // --- The conversion run.
  // Lets the front end handle pending events once per entry. A press of
  // "Abort" handled here calls GenerationJob::ButtonGenerateClick again.
  virtual void ProcessEvents() {}
  // Asked once per entry, after ProcessEvents: true acts as a press of
  // "Abort" (Ctrl-C on the command line).
  virtual bool StopRequested() { return false; }
  // Progress of the run: the range of positions, then the position.
  virtual void SetProgressRange(int minimum, int maximum) {}
  virtual void SetProgressPosition(int position) {}
  // Enables or disables the settings controls; the generate button reads
  // "Generate Vobsub" when enabled, "Abort" when not.
  virtual void EnableInputs(bool enabled) {}
  // The frame just drawn for an entry (PaintPicture gives its picture).
  virtual void FrameDrawn(const IndexFrame& frame) {}
  // Command-line mode: a complete run ends the program.
  virtual void RequestTerminate() {}
};

}  // namespace kestrelpix
