#include "app/load_action.h"

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
  CurrentSubtitle->LoadSubtitle(fileName, true, sink);
  if (CurrentSubtitle->Loaded) {
    const int count = CurrentSubtitle->LineCount();
    if (count > 0) {
      if (hooks.AddListRow) {
        for (int i = 1; i <= count; ++i) hooks.AddListRow(ListRowText(CurrentSubtitle->GetLine(i)));
      }
      Call(hooks.SelectRow, 0);
    }
    CheckAllEntriesFit(*CurrentSubtitle, state, sink, hooks.Fit);
  }
  Call(hooks.SetCaption, std::string("Kestrelpix By Morvane"));
}

}  // namespace kestrelpix
