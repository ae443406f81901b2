// The settings file reader on arbitrary bytes. Properties checked:
//  - parsing never fails or crashes, whatever the bytes;
//  - the written text is stable: parse, write, parse again, write again
//    gives the same text;
//  - every value that decodes as a colour or Boolean encodes and decodes
//    back to the same value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/form_storage.h"
#include "app/ini_file.h"
#include "app/settings_model.h"
#include "app/settings_values.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckValues(const kestrelpix::IniFile& ini) {
  using namespace kestrelpix;
  for (const std::string& section : ini.SectionNames()) {
    for (const std::string& key : ini.Keys(section)) {
      std::string value;
      Check(ini.ReadString(section, key, value));
      ColorValue colour = 0, again = 0;
      if (DecodeColor(value, colour)) {
        Check(DecodeColor(EncodeColor(colour), again) && again == colour);
      }
      bool flag = false, flag_again = true;
      if (DecodeBoolean(value, flag)) {
        Check(DecodeBoolean(EncodeBoolean(flag), flag_again) && flag_again == flag);
      }
      int32_t number = 0, number_again = 1;
      if (DecodeInteger(value, number)) {
        Check(DecodeInteger(EncodeInteger(number), number_again) && number_again == number);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrelpix;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  IniFile first;
  first.LoadFromText(input);
  const std::string text = first.ToText();

  IniFile second;
  second.LoadFromText(text);
  Check(second.ToText() == text);
  Check(second.SectionNames() == first.SectionNames());
  CheckValues(second);

  // Restoring a window from whatever the file holds must be harmless too.
  int32_t sink = 0;
  std::vector<StoredProperty> properties;
  for (const std::string& key : MainWindowKeys()) {
    properties.push_back({key, StoredKeyType(key), [] { return PropertyValue{}; },
                          [&sink](const PropertyValue& v) { sink += v.integer; }});
  }
  WindowPlacement screen;
  screen.ScreenWidth = 1920;
  screen.ScreenHeight = 1080;
  FormStorage storage(second, std::string(kMainWindowSection), std::move(properties));
  storage.Restore(screen);
  storage.Save(screen);
  IniFile third;
  third.LoadFromText(second.ToText());
  Check(third.ToText() == second.ToText());
  return 0;
}
