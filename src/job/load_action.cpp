#include "job/load_action.h"

#include "base/charset.h"
#include "job/fit_check.h"
#include "render/text_decode.h"

namespace kestrelpix {

std::string ListRowText(const SubtitleEntryView& line) {
  std::string row(line.Text1);
  if (!line.Text2.empty()) row.append("|").append(line.Text2);
  return row;
}

std::string ChosenCharsetNote(uint8_t charset) {
  const CharsetRow* row = FindCharset(charset);
  const std::string name = row != nullptr ? row->ListName : std::to_string(charset);
  const std::string page = row != nullptr && row->IconvName != nullptr ? row->IconvName : "";
  return "The text is read as " + name + (page.empty() ? "" : " (" + page + ")") +
         ", the charset chosen; choose DEFAULT to have its code page detected.";
}

void LoadSubtitleFile(const std::string& fileName,
                      std::unique_ptr<SubtitleDocument>& CurrentSubtitle, AppState& state,
                      FrontEnd& frontEnd) {
  state.SubtitleLoaded = false;
  state.SubtitleFits = false;
  frontEnd.SetFileNameText("Load SRT");
  if (fileName.empty()) return;
  frontEnd.SetCaption("Kestrelpix By Morvane Loading Subtitle...");
  frontEnd.ClearEntryList();
  CurrentSubtitle = std::make_unique<SubtitleDocument>();
  // A frame-numbered file without its own frame rate counts at the chosen
  // one; with DEFAULT the load names the code page it detects.
  const RenderSettings chosen = frontEnd.ReadRenderSettings();
  const RenderSettings settings = SettingsForText(chosen, CurrentSubtitle.get());
  LoadOptions options;
  options.ChosenFps = settings.Fps;
  options.Charset = settings.FontCharset;
  CurrentSubtitle->LoadSubtitle(fileName, true, frontEnd, options);
  if (CurrentSubtitle->Loaded && settings.WrapLines) {
    // Text beyond two lines that wrapping draws is not reported as lost.
    const SubtitleDocument& doc = *CurrentSubtitle;
    const RenderSettings drawing = SettingsForText(chosen, &doc);
    std::vector<int> drawn;
    for (int entry : doc.EntriesWithTextNotDrawn()) {
      if (WrappingDrawsAllText(frontEnd.GetFonts(), doc, entry, drawing)) drawn.push_back(entry);
    }
    CurrentSubtitle->MarkAllTextDrawn(drawn);
  }
  if (CurrentSubtitle->Loaded) {
    // What the load noted: below the success message in the window, as
    // warnings on the command line.
    std::string successNote;
    for (const std::string& note : CurrentSubtitle->LoadNotes()) {
      if (state.CommandLineMode) {
        frontEnd.WriteNote(note);
      } else {
        successNote += (successNote.empty() ? "" : "\r") + note;
      }
    }
    // A charset chosen for an earlier file goes on reading the next ones:
    // the window says so at every load it decides. (A command line names
    // its charset itself.)
    const uint8_t used = CharsetForText(chosen.FontCharset, CurrentSubtitle.get());
    constexpr uint8_t kDefault = CharsetCode(CharsetId::kDefault);
    if (!state.CommandLineMode && chosen.FontCharset != kDefault && used != kDefault) {
      successNote += (successNote.empty() ? "" : "\r") + ChosenCharsetNote(used);
    }
    const int count = CurrentSubtitle->LineCount();
    if (count > 0) {
      for (int i = 1; i <= count; ++i)
        frontEnd.AddEntryRow(ListRowText(CurrentSubtitle->LineView(i)));
      frontEnd.SelectEntryRow(0);
    }
    CheckAllEntriesFit(*CurrentSubtitle, state, frontEnd, successNote);
  }
  frontEnd.SetCaption("Kestrelpix By Morvane");
}

}  // namespace kestrelpix
