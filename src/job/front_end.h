// What the load, the fit check and the conversion run tell the program they
// run in, and ask of it. The window implements it over its controls, the
// command line over stderr; every event has a default that does nothing, so
// a front end without an entry list or a progress bar skips those.
#pragma once

#include <string>
#include <vector>

#include "job/conversion_run.h"
#include "render/fonts.h"
#include "render/render_settings.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

class FrontEnd : public RunObserver {
 public:
  // The settings as the user chose them, read when a load, a measure or a
  // run starts. The charset is the chosen one: DEFAULT stands for the
  // code page of the document, and the caller resolves it.
  virtual RenderSettings ReadRenderSettings() = 0;
  // The fonts this program measures and draws with.
  virtual Fonts& GetFonts() = 0;

  // --- The load and the fit check: what happened, in order. A front end
  // shows each as it sees fit (a file name box, a caption, an entry list);
  // every one has a default that does nothing.
  // A load of fileName begins; an empty name ends it at once.
  virtual void LoadStarted(const std::string& fileName) {}
  // The document is read. notes: what the reader noted about the file (text
  // it left out, lines it could not read), one line each, in order.
  virtual void Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) {}
  // An entry of the document being loaded is too wide; the refusal's
  // message follows.
  virtual void LoadRefused() {}
  // Every entry of the document fits the frame: after a load, or after the
  // settings changed while one is loaded.
  virtual void AllEntriesFit() {}
  // The load has ended, accepted or refused (not after an error).
  virtual void LoadEnded() {}

  // How the user switches wrapping on, named when an entry is too wide;
  // empty names nothing.
  virtual std::string WrapHint() const { return ""; }

  // The language class a SAMI file is read in; empty: the first it
  // declares (the load's note names the others).
  virtual std::string SamiClass() const { return ""; }

  // The conversion run reports to the front end as its observer
  // (Progress, FrameDrawn, ShouldStop).
};

}  // namespace kestrelpix
