#include "job/load_action.h"

namespace kestrelpix {

namespace {

template <typename F, typename... Args>
void Call(const F& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace

std::string ListRowText(const SubtitleLine& line) {
  return line.Text2.empty() ? line.Text1 : line.Text1 + "|" + line.Text2;
}

void LoadSubtitleFile(const std::string& fileName, std::unique_ptr<TSubtitle>& CurrentSubtitle,
                      AppState& state, MessageSink& sink, const LoadActionHooks& hooks) {
  state.SubtitleLoaded = false;
  state.SubtitleFits = false;
  Call(hooks.SetEditLoadSrt, std::string("Load SRT"));
  if (fileName.empty()) return;
  Call(hooks.ProcessEvents);
  Call(hooks.SetCaption, std::string("Kestrelpix By Morvane Loading Subtitle..."));
  Call(hooks.ClearList);
  CurrentSubtitle = std::make_unique<TSubtitle>();
  // A frame-numbered file without its own frame rate counts at the chosen
  // one; with DEFAULT the load names the code page it detects.
  LoadOptions options;
  if (hooks.Fit.ReadSettings) {
    const RenderSettings settings = hooks.Fit.ReadSettings();
    options.ChosenFps = settings.Fps;
    options.Charset = settings.FontCharset;
  }
  CurrentSubtitle->LoadSubtitle(fileName, true, sink, options);
  if (CurrentSubtitle->Loaded) {
    // What the load noted: below the success message in the window, as
    // warnings on the command line.
    FitCheckHooks fit = hooks.Fit;
    for (const std::string& note : CurrentSubtitle->LoadNotes()) {
      if (state.CommandLineMode) {
        if (hooks.WriteNote) {
          hooks.WriteNote(note);
        } else {
          sink.Warn(note);
        }
      } else {
        fit.SuccessNote += (fit.SuccessNote.empty() ? "" : "\r") + note;
      }
    }
    const int count = CurrentSubtitle->LineCount();
    if (count > 0) {
      if (hooks.AddListRow) {
        for (int i = 1; i <= count; ++i) hooks.AddListRow(ListRowText(CurrentSubtitle->GetLine(i)));
      }
      Call(hooks.SelectRow, 0);
    }
    CheckAllEntriesFit(*CurrentSubtitle, state, sink, fit);
  }
  Call(hooks.SetCaption, std::string("Kestrelpix By Morvane"));
}

}  // namespace kestrelpix
