// The two windows' sections of the settings file: what a save writes, line
// for line, and how a restore reads it back, hand edits included.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/form_storage.h"
#include "app/ini_file.h"
#include "app/settings_model.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

WindowPlacement Screen1080(int left, int top, int right, int bottom) {
  WindowPlacement p;
  p.ScreenWidth = 1920;
  p.ScreenHeight = 1080;
  p.Left = left;
  p.Top = top;
  p.Right = right;
  p.Bottom = bottom;
  return p;
}

// A first run in window mode: the user picked font size "22" (position 16),
// an orange text colour (red 255, green 128, blue 0 = 0x000080FF = 33023), a
// navy outline (clNavy 0x800000), a custom PAL background and the safe
// palette, then closed the program. The main window saves at its close, the
// colour options window when it is destroyed.
constexpr char kFirstRunFile[] =
    "[Form1]\r\n"
    "FormVersion=0\r\n"
    "ShowCmd=1\r\n"
    "Flags=0\r\n"
    "PixelsPerInch=96\r\n"
    "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
    "MinMaxPos=-1,-1,-1,-1\r\n"
    "NormPos(1920x1080)=557,164,1363,916\r\n"
    "NormPos=557,164,1363,916\r\n"
    "LabelImageChangedPAL_Caption=/home/ana/Pictures/harbour pal.bmp\r\n"
    "LabelImageChangedNTSC_Caption=\r\n"
    "ComboBoxFontName_ItemIndex=0\r\n"
    "ComboBoxFontSize_ItemIndex=16\r\n"
    "ComboBoxFontCharset_ItemIndex=4\r\n"
    "ComboBoxFontStyle_ItemIndex=0\r\n"
    "ComboBoxAlign_ItemIndex=0\r\n"
    "ComboBoxFps_ItemIndex=2\r\n"
    "ComboBoxOutlineWidth_ItemIndex=1\r\n"
    "ComboBoxVobsubLanguage_ItemIndex=41\r\n"
    "JvColorButtonAntialias_ColorValue=clGray\r\n"
    "JvColorButtonOutline_ColorValue=clNavy\r\n"
    "JvColorButtonText_ColorValue=33023\r\n"
    "offset_Position=30\r\n"
    "offset_or_Position=-4\r\n"
    "CheckBoxWrapLines_Checked=TRUE\r\n"
    "\r\n"
    "[FormColorOptions]\r\n"
    "FormVersion=0\r\n"
    "ShowCmd=1\r\n"
    "Flags=0\r\n"
    "PixelsPerInch=96\r\n"
    "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
    "MinMaxPos=-1,-1,-1,-1\r\n"
    "NormPos(1920x1080)=729,240,1191,840\r\n"
    "NormPos=729,240,1191,840\r\n"
    "RadioButtonDVD_Checked=FALSE\r\n"
    "RadioButtonPC_Checked=FALSE\r\n"
    "RadioButtonPCDVD1_Checked=FALSE\r\n"
    "RadioButtonPCDVD2_Checked=TRUE\r\n"
    "\r\n";

Settings ChangedMain() {
  Settings m;
  m.PalPicture = "/home/ana/Pictures/harbour pal.bmp";
  m.FontSize = 16;
  m.TextColor = 0x000080FF;
  m.OutlineColor = 0x800000;
  m.WrapLines = true;
  return m;
}

PaletteMode SafePalette() { return PaletteMode::SafePalette; }

TEST(FormStorage, FirstRunWritesBothSectionsLineForLine) {
  IniFile file;
  Settings main = ChangedMain();
  PaletteMode options = SafePalette();
  FormStorage main_storage(file, "Form1", MainWindowProperties(main));
  FormStorage options_storage(file, "FormColorOptions", PaletteProperties(options));

  main_storage.Save(Screen1080(557, 164, 1363, 916));
  options_storage.Save(Screen1080(729, 240, 1191, 840));
  EXPECT_EQ(file.ToText(), kFirstRunFile);
  EXPECT_EQ(file.Keys("Form1").size(), 1u + 7u + 16u);
  EXPECT_EQ(file.Keys("FormColorOptions").size(), 1u + 7u + 4u);

  // A second save of the same state changes nothing: every entry keeps its
  // place and no key is duplicated.
  main_storage.Save(Screen1080(557, 164, 1363, 916));
  options_storage.Save(Screen1080(729, 240, 1191, 840));
  EXPECT_EQ(file.ToText(), kFirstRunFile);
}

TEST(FormStorage, NextStartShowsTheSameChoices) {
  IniFile stored;
  stored.LoadFromText(kFirstRunFile);

  Settings main;  // a fresh window with its defaults
  PaletteMode options = Settings().Palette;
  FormStorage main_storage(stored, "Form1", MainWindowProperties(main));
  FormStorage options_storage(stored, "FormColorOptions", PaletteProperties(options));
  WindowPlacement screen = Screen1080(0, 0, 0, 0);
  RestoredPlacement placed = main_storage.Restore(screen);
  options_storage.Restore(screen);

  EXPECT_EQ(main, ChangedMain());
  EXPECT_EQ(options, SafePalette());
  EXPECT_TRUE(placed.applyPosition);
  EXPECT_EQ(placed.left, 557);
  EXPECT_EQ(placed.top, 164);
  EXPECT_EQ(placed.state, RestoredPlacement::State::Normal);
}

TEST(FormStorage, SectionsFollowTheOrderOfTheFirstSave) {
  // The user opened and closed the colour options window before closing the
  // main window: its section is created first and stays first.
  IniFile file;
  Settings main;
  PaletteMode options = Settings().Palette;
  FormStorage main_storage(file, "Form1", MainWindowProperties(main));
  FormStorage options_storage(file, "FormColorOptions", PaletteProperties(options));
  options_storage.Save(WindowPlacement{});
  main_storage.Save(WindowPlacement{});
  options_storage.Save(WindowPlacement{});
  EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"FormColorOptions", "Form1"}));
}

TEST(FormStorage, ReadsHandEditedValues) {
  IniFile file;
  file.LoadFromText(
      "; edited by hand\n"
      "ComboBoxFontSize_ItemIndex=3\n"  // before any section: skipped
      "[form1]\n"
      "  comboboxfontsize_itemindex = $1E   \n"
      "JvColorButtonText_ColorValue=clwhite\n"
      "jvcolorbuttonoutline_colorvalue = 33023\n"
      "  ; JvColorButtonAntialias_ColorValue=clRed\n"
      "OFFSET_POSITION=\t100\n"
      "ComboBoxVobsubLanguage_ItemIndex=\n"
      "[ FormColorOptions ]\r\n"
      "RadioButtonDVD_Checked = yes\r\n"
      "RadioButtonPC_Checked=1\r\n"
      "RadioButtonPCDVD1_Checked=no\r\n"
      "radiobuttonpcdvd2_checked = N\r\n");
  Settings main;
  main.TextColor = 0x123456;
  PaletteMode options = Settings().Palette;
  FormStorage(file, "Form1", MainWindowProperties(main)).Restore(Screen1080(0, 0, 0, 0));
  FormStorage(file, "FormColorOptions", PaletteProperties(options)).Restore(Screen1080(0, 0, 0, 0));

  Settings expected;
  expected.FontSize = 0x1E;       // 30
  expected.TextColor = 0xFFFFFF;  // clwhite
  expected.OutlineColor = 0x000080FF;
  expected.BottomOffset = 100;
  expected.Language = 0;  // an empty integer reads as 0
  EXPECT_EQ(main, expected);
  // One mode is chosen, as of four radio buttons: the last that reads TRUE.
  EXPECT_EQ(options, PaletteMode::PcOnly);
}

TEST(FormStorage, UndecodableValueStopsTheRestOfThatWindow) {
  IniFile file;
  file.LoadFromText(
      "[Form1]\r\n"
      "ShowCmd=3\r\n"
      "NormPos=40,50,846,802\r\n"
      "LabelImageChangedPAL_Caption=pal.bmp\r\n"
      "ComboBoxFontName_ItemIndex=7\r\n"
      "ComboBoxFontSize_ItemIndex=twenty\r\n"  // stops here
      "ComboBoxFontCharset_ItemIndex=13\r\n"
      "JvColorButtonText_ColorValue=clRed\r\n"
      "offset_Position=200\r\n"
      "\r\n"
      "[FormColorOptions]\r\n"
      "RadioButtonDVD_Checked=TRUE\r\n"
      "RadioButtonPCDVD1_Checked=FALSE\r\n"
      "\r\n");
  Settings main;
  PaletteMode options = Settings().Palette;
  FormStorage main_storage(file, "Form1", MainWindowProperties(main));
  RestoredPlacement placed = main_storage.Restore(Screen1080(0, 0, 0, 0));

  Settings expected;  // defaults, but for the two properties before the stop
  expected.PalPicture = "pal.bmp";
  expected.FontName = 7;
  EXPECT_EQ(main, expected);
  // Placement comes before the properties and is restored all the same.
  EXPECT_TRUE(placed.applyPosition);
  EXPECT_EQ(placed.left, 40);
  EXPECT_EQ(placed.top, 50);
  EXPECT_EQ(placed.state, RestoredPlacement::State::Maximized);

  // The other window restores on its own.
  FormStorage(file, "FormColorOptions", PaletteProperties(options)).Restore(Screen1080(0, 0, 0, 0));
  EXPECT_EQ(options, PaletteMode::DvdOnly);

  // Each type stops on its own kind of bad value.
  for (const char* line :
       {"JvColorButtonAntialias_ColorValue=clOrange", "JvColorButtonAntialias_ColorValue=#FF8000",
        "ComboBoxFontName_ItemIndex=1.5", "ComboBoxFontName_ItemIndex=99999999999"}) {
    IniFile bad;
    bad.LoadFromText(std::string("[Form1]\nLabelImageChangedNTSC_Caption=ntsc.bmp\n") + line +
                     "\noffset_or_Position=6\n");
    Settings m;
    FormStorage(bad, "Form1", MainWindowProperties(m)).Restore(WindowPlacement{});
    EXPECT_EQ(m.NtscPicture, "ntsc.bmp") << line;
    EXPECT_EQ(m.LineSpacing, -4) << line;
    EXPECT_EQ(m.AntialiasColor, 0x808080u) << line;
    EXPECT_EQ(m.FontName, 0) << line;
  }
  IniFile bad_boolean;
  bad_boolean.LoadFromText(
      "[FormColorOptions]\nRadioButtonDVD_Checked=maybe\n"
      "RadioButtonPC_Checked=TRUE\n");
  PaletteMode o = Settings().Palette;
  FormStorage(bad_boolean, "FormColorOptions", PaletteProperties(o)).Restore(WindowPlacement{});
  EXPECT_EQ(o, Settings().Palette);
}

TEST(FormStorage, DeletedKeyLeavesOnlyThatControlAtItsDefault) {
  for (const std::string& key : MainWindowKeys()) {
    // The first-run file without the key's line.
    std::string text = kFirstRunFile;
    const size_t line = text.find("\n" + key + "=");
    ASSERT_NE(line, std::string::npos) << key;
    text.erase(line + 1, text.find('\n', line + 1) - line);
    IniFile edited;
    edited.LoadFromText(text);
    std::string value;
    ASSERT_FALSE(edited.ReadString("Form1", key, value));

    // Start from controls that differ from both the stored values and the
    // defaults in every property, to see exactly which ones were assigned.
    Settings before;
    before.PalPicture = "x";
    before.NtscPicture = "y";
    before.FontName = before.FontSize = before.FontCharset = 5;
    before.FontStyle = before.Align = before.Fps = 5;
    before.OutlineWidth = before.Language = 5;
    before.AntialiasColor = before.OutlineColor = before.TextColor = 5;
    before.BottomOffset = before.LineSpacing = 5;

    Settings restored = before;
    FormStorage(edited, "Form1", MainWindowProperties(restored)).Restore(WindowPlacement{});

    Settings expected = ChangedMain();
    const auto expected_props = MainWindowProperties(expected);
    const auto before_props = MainWindowProperties(before);
    for (size_t i = 0; i < expected_props.size(); ++i) {
      if (expected_props[i].key == key) expected_props[i].set(before_props[i].get());
    }
    EXPECT_EQ(restored, expected) << key;
  }
}

TEST(FormStorage, UnknownEntriesSurviveASave) {
  IniFile file;
  file.LoadFromText(
      "[Tools]\r\n"
      "LastFolder=/srv/subtitles\r\n"
      "\r\n"
      "[Form1]\r\n"
      "WindowTheme=dark\r\n"
      "comboboxfontsize_itemindex=3\r\n"
      "just a note\r\n"
      "\r\n");
  Settings main;
  main.FontSize = 20;
  FormStorage storage(file, "Form1", MainWindowProperties(main));
  storage.Save(Screen1080(1, 2, 3, 4));
  const std::string text = file.ToText();
  // The unknown section and entries stay where they were; the hand-written
  // key keeps its place with the program's spelling and the new value; the
  // rows the file did not have yet follow in their order.
  const std::string expected_start =
      "[Tools]\r\n"
      "LastFolder=/srv/subtitles\r\n"
      "\r\n"
      "[Form1]\r\n"
      "WindowTheme=dark\r\n"
      "ComboBoxFontSize_ItemIndex=20\r\n"
      "just a note\r\n"
      "FormVersion=0\r\n"
      "ShowCmd=1\r\n";
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
  EXPECT_NE(text.find("NormPos=1,2,3,4\r\nLabelImageChangedPAL_Caption=\r\n"
                      "LabelImageChangedNTSC_Caption=\r\nComboBoxFontName_ItemIndex=0\r\n"
                      "ComboBoxFontCharset_ItemIndex=4\r\n"),
            std::string::npos);
  // WindowTheme, the 8 rows and the 16 properties; the note is no key.
  EXPECT_EQ(file.Keys("Form1").size(), 1u + 8u + 16u);
}

TEST(FormStorage, InactiveStorageChangesNothing) {
  // A command-line run: both windows are restored when shown, then the
  // storage is switched off and the command-line values go into the
  // controls. The file's values stay as they were.
  IniFile file;
  file.LoadFromText(kFirstRunFile);
  Settings main;
  PaletteMode options = Settings().Palette;
  FormStorage main_storage(file, "Form1", MainWindowProperties(main));
  FormStorage options_storage(file, "FormColorOptions", PaletteProperties(options));
  main_storage.Restore(Screen1080(0, 0, 0, 0));
  options_storage.Restore(Screen1080(0, 0, 0, 0));
  main_storage.Active = false;
  options_storage.Active = false;

  main.FontSize = 2;
  main.TextColor = 0x00FFFF;
  options = Settings().Palette;
  main_storage.Save(Screen1080(9, 9, 9, 9));
  options_storage.Save(Screen1080(9, 9, 9, 9));
  EXPECT_EQ(file.ToText(), kFirstRunFile);
  EXPECT_FALSE(main_storage.SavedSinceRestore());

  // An inactive restore touches no control and asks for no placement.
  Settings untouched;
  FormStorage off(file, "Form1", MainWindowProperties(untouched));
  off.Active = false;
  RestoredPlacement placed = off.Restore(Screen1080(0, 0, 0, 0));
  EXPECT_EQ(untouched, Settings{});
  EXPECT_FALSE(placed.applyPosition);
}

TEST(FormStorage, SavedSinceRestoreTracksTheLastOperation) {
  IniFile file;
  Settings main;
  FormStorage storage(file, "Form1", MainWindowProperties(main));
  EXPECT_FALSE(storage.SavedSinceRestore());
  storage.Save(WindowPlacement{});
  EXPECT_TRUE(storage.SavedSinceRestore());
  storage.Restore(WindowPlacement{});
  EXPECT_FALSE(storage.SavedSinceRestore());
}

TEST(FormStorage, NegativeFormVersionRestoresNothing) {
  for (const char* version : {"-1", "minus"}) {
    IniFile file;
    file.LoadFromText(std::string("[Form1]\nFormVersion=") + version +
                      "\nShowCmd=3\nNormPos=10,10,20,20\nComboBoxFps_ItemIndex=0\n");
    Settings main;
    RestoredPlacement placed =
        FormStorage(file, "Form1", MainWindowProperties(main)).Restore(WindowPlacement{});
    EXPECT_EQ(main, Settings{}) << version;
    EXPECT_FALSE(placed.applyPosition) << version;
    EXPECT_EQ(placed.state, RestoredPlacement::State::Normal) << version;
  }
  IniFile later;  // a version above 0 restores as usual
  later.LoadFromText("[Form1]\nFormVersion=2\nComboBoxFps_ItemIndex=0\n");
  Settings main;
  FormStorage(later, "Form1", MainWindowProperties(main)).Restore(WindowPlacement{});
  EXPECT_EQ(main.Fps, 0);
}

TEST(FormStorage, PositionPrefersTheScreenSizeKeyAndNeedsTheSamePixelsPerInch) {
  const std::string sized =
      "[Form1]\n"
      "NormPos(1920x1080)=100,200,906,952\n"
      "NormPos=30,40,836,792\n";
  IniFile file;
  file.LoadFromText(sized);
  FormStorage storage(file, "Form1", {});
  RestoredPlacement p = storage.Restore(Screen1080(0, 0, 0, 0));
  EXPECT_TRUE(p.applyPosition);
  EXPECT_EQ(p.left, 100);
  EXPECT_EQ(p.top, 200);

  WindowPlacement small;
  small.ScreenWidth = 1280;
  small.ScreenHeight = 1024;
  p = storage.Restore(small);
  EXPECT_TRUE(p.applyPosition);
  EXPECT_EQ(p.left, 30);
  EXPECT_EQ(p.top, 40);

  // Stored at 120 pixels per inch, shown at 96: the position is not used.
  file.LoadFromText(sized + "PixelsPerInch=120\n");
  EXPECT_FALSE(storage.Restore(Screen1080(0, 0, 0, 0)).applyPosition);
  file.LoadFromText(sized + "PixelsPerInch=96\n");
  EXPECT_TRUE(storage.Restore(Screen1080(0, 0, 0, 0)).applyPosition);

  // No rectangle stored, or one that is not four integers: no position.
  file.LoadFromText("[Form1]\nMinMaxPos=-1,-1,-1,-1\nPixelsPerInch=96\n");
  EXPECT_FALSE(storage.Restore(Screen1080(0, 0, 0, 0)).applyPosition);
  for (const char* bad : {"1,2,3", "1,2,3,4,5", "a,b,c,d", "1,,3,4", ""}) {
    file.LoadFromText(std::string("[Form1]\nNormPos=") + bad + "\n");
    EXPECT_FALSE(storage.Restore(Screen1080(0, 0, 0, 0)).applyPosition) << bad;
  }
  file.LoadFromText("[Form1]\nNormPos=-8, -31, 798, 675\n");
  p = storage.Restore(WindowPlacement{});
  EXPECT_TRUE(p.applyPosition);
  EXPECT_EQ(p.left, -8);
  EXPECT_EQ(p.top, -31);
}

TEST(FormStorage, ShowCmdMapsToThreeStates) {
  using State = RestoredPlacement::State;
  const struct {
    const char* value;
    State state;
  } cases[] = {{"0", State::Normal},     {"1", State::Normal},    {"2", State::Minimized},
               {"3", State::Maximized},  {"4", State::Normal},    {"5", State::Normal},
               {"6", State::Minimized},  {"7", State::Minimized}, {"8", State::Normal},
               {"9", State::Normal},     {"10", State::Normal},   {"-3", State::Normal},
               {"$3", State::Maximized}, {"max", State::Normal}};
  IniFile file;
  FormStorage storage(file, "FormColorOptions", {});
  EXPECT_EQ(storage.Restore(WindowPlacement{}).state, State::Normal);  // missing
  for (const auto& c : cases) {
    file.LoadFromText(std::string("[FormColorOptions]\nShowCmd=") + c.value + "\n");
    EXPECT_EQ(storage.Restore(WindowPlacement{}).state, c.state) << c.value;
  }
}

TEST(FormStorage, KeyListsAndTheirTypes) {
  ASSERT_EQ(MainWindowKeys().size(), 16u);
  ASSERT_EQ(ColorOptionsKeys().size(), 4u);
  EXPECT_EQ(MainWindowKeys().front(), "LabelImageChangedPAL_Caption");
  EXPECT_EQ(MainWindowKeys().back(), "CheckBoxWrapLines_Checked");
  const PropertyType main_types[] = {
      PropertyType::Text,    PropertyType::Text,    PropertyType::Integer, PropertyType::Integer,
      PropertyType::Integer, PropertyType::Integer, PropertyType::Integer, PropertyType::Integer,
      PropertyType::Integer, PropertyType::Integer, PropertyType::Colour,  PropertyType::Colour,
      PropertyType::Colour,  PropertyType::Integer, PropertyType::Integer, PropertyType::Boolean};
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(StoredKeyType(MainWindowKeys()[i]), main_types[i]) << MainWindowKeys()[i];
  }
  for (const std::string& key : ColorOptionsKeys()) {
    EXPECT_EQ(StoredKeyType(key), PropertyType::Boolean) << key;
  }
  EXPECT_THROW(StoredKeyType("FormVersion"), std::invalid_argument);
}

TEST(FormStorage, StoredWrapChoiceForRunsWithoutTheWindow) {
  testing::TempDir dir;
  const std::string path = (dir.path() / "Kestrelpix_Settings.ini").string();
  EXPECT_FALSE(StoredWrapLines(path));  // no file
  dir.Write("Kestrelpix_Settings.ini", kFirstRunFile);
  EXPECT_TRUE(StoredWrapLines(path));
  dir.Write("Kestrelpix_Settings.ini", "[form1]\r\ncheckboxwraplines_checked = yes\r\n");
  EXPECT_TRUE(StoredWrapLines(path));
  for (const char* value : {"FALSE", "0", "maybe", ""}) {
    dir.Write("Kestrelpix_Settings.ini",
              std::string("[Form1]\r\nCheckBoxWrapLines_Checked=") + value + "\r\n");
    EXPECT_FALSE(StoredWrapLines(path)) << value;
  }
  // Only the main window's section counts.
  dir.Write("Kestrelpix_Settings.ini", "[FormColorOptions]\r\nCheckBoxWrapLines_Checked=TRUE\r\n");
  EXPECT_FALSE(StoredWrapLines(path));
}

TEST(SettingsModel, TheBatchLineOfTheModel) {
  // The first-start choices: Arial, DEFAULT, Normal, 20, center, 30, -4,
  // outline 1, colours at the boxes' defaults, GREEK, 25, two palettes, and
  // wrapping off written as the sixteenth parameter.
  EXPECT_EQ(BatchLine("/opt/kp/", "/films/a.srt", ListPositions(Settings())),
            "'/opt/kp/kestrelpix' '/films/a.srt' 0 4 0 14 0 30 -4 1 1 0 2 41 2 2 0");
  Settings chosen;
  chosen.FontName = 3;
  chosen.FontSize = 16;
  chosen.Align = 2;
  chosen.BottomOffset = 100;
  chosen.LineSpacing = 6;
  chosen.Language = 7;
  chosen.Fps = 0;
  chosen.Palette = PaletteMode::SafePalette;
  chosen.WrapLines = true;
  EXPECT_EQ(BatchLine("/opt/kp/", "/films/a.srt", ListPositions(chosen)),
            "'/opt/kp/kestrelpix' '/films/a.srt' 3 4 0 16 2 100 6 1 1 0 2 7 0 3 1");
  // Read back over other pictures and colours, which the line does not
  // carry: the line's choices, the rest kept.
  Settings other;
  other.PalPicture = "pal.bmp";
  other.TextColor = 0x0000FF;
  Settings expected = chosen;
  expected.PalPicture = "pal.bmp";
  expected.TextColor = 0x0000FF;
  EXPECT_EQ(FromPositions(ListPositions(chosen), other), expected);
  // A line without the sixteenth parameter keeps the model's wrapping.
  ControlPositions fifteen = ListPositions(chosen);
  fifteen.WrapLines.reset();
  EXPECT_FALSE(FromPositions(fifteen, Settings()).WrapLines);
  EXPECT_TRUE(FromPositions(fifteen, chosen).WrapLines);
}

TEST(SettingsModel, EveryFieldHasOneKeyAndTheFileRoundTrips) {
  // Distinct keys, and every field of the model reached by exactly one:
  // a model that differs from the defaults in every stored field comes
  // back whole from its own save.
  std::vector<std::string> keys = MainWindowKeys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  Settings changed;
  changed.PalPicture = "p";
  changed.NtscPicture = "n";
  changed.FontName = changed.FontSize = changed.FontCharset = changed.FontStyle = 1;
  changed.Align = changed.Fps = changed.OutlineWidth = changed.Language = 2;
  changed.AntialiasColor = 1;
  changed.OutlineColor = 2;
  changed.TextColor = 3;
  changed.BottomOffset = 9;
  changed.LineSpacing = 8;
  changed.WrapLines = true;
  IniFile file;
  FormStorage(file, "Form1", MainWindowProperties(changed)).Save(WindowPlacement{});
  Settings restored;
  FormStorage(file, "Form1", MainWindowProperties(restored)).Restore(WindowPlacement{});
  EXPECT_EQ(restored, changed);
}

}  // namespace
}  // namespace kestrelpix
