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
  frontEnd.LoadStarted(fileName);
  if (fileName.empty()) return;
  CurrentSubtitle = std::make_unique<SubtitleDocument>();
  // A frame-numbered file without its own frame rate counts at the chosen
  // one; with DEFAULT the load names the code page it detects.
  const RenderSettings chosen = frontEnd.ReadRenderSettings();
  const RenderSettings settings = SettingsForText(chosen, CurrentSubtitle.get());
  LoadOptions options;
  options.ChosenFps = settings.Fps;
  options.Charset = settings.FontCharset;
  options.SamiClass = frontEnd.SamiClass();
  CurrentSubtitle->LoadSubtitle(fileName, true, frontEnd, options);
  if (CurrentSubtitle->Loaded && settings.WrapLines) {
    // Wrapping draws every line an entry keeps, so its lines beyond two are
    // not reported as lost; text the reader could not keep still is.
    const SubtitleDocument& doc = *CurrentSubtitle;
    std::vector<int> drawn;
    for (int entry : doc.EntriesWithTextNotDrawn()) {
      if (EntryTextLines(doc, entry).size() > 2) drawn.push_back(entry);
    }
    CurrentSubtitle->MarkAllTextDrawn(drawn);
  }
  if (CurrentSubtitle->Loaded) {
    frontEnd.Loaded(*CurrentSubtitle, CurrentSubtitle->LoadNotes());
    CheckAllEntriesFit(*CurrentSubtitle, state, frontEnd);
  }
  frontEnd.LoadEnded();
}

}  // namespace kestrelpix
