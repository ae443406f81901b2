// The load action: replaces the current document with a newly read one,
// fills the entry list and runs the fit check. The window supplies its
// controls through hooks; the command line supplies none.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/app_state.h"
#include "base/message_sink.h"
#include "job/fit_check.h"
#include "subtitle/subtitle.h"

namespace kestrelpix {

struct LoadActionHooks {
  std::function<void(const std::string&)> SetEditLoadSrt;  // the file name box
  std::function<void(const std::string&)> SetCaption;      // the window caption
  std::function<void()> ClearList;                         // ListBoxPreview
  std::function<void(const std::string&)> AddListRow;
  std::function<void(int)> SelectRow;
  std::function<void()> ProcessEvents;  // once, after the dialog closed
  // In command-line mode, one line that the load noted about the file
  // (without this hook it goes to the sink as a warning).
  std::function<void(const std::string&)> WriteNote;
  FitCheckHooks Fit;
};

// The list row of an entry: Text1, then "|" and Text2 when Text2 is not
// empty. Text3 is never shown.
std::string ListRowText(const SubtitleLine& line);

// Steps after the file dialog: fileName is the dialog's file name (an empty
// name ends the action at once). CurrentSubtitle is replaced by a new
// document. A conversion or file error while reading propagates to the
// caller with the caption left at "Kestrelpix By Morvane Loading Subtitle...".
void LoadSubtitleFile(const std::string& fileName, std::unique_ptr<TSubtitle>& CurrentSubtitle,
                      AppState& state, MessageSink& sink, const LoadActionHooks& hooks);

}  // namespace kestrelpix
