#include "app/control_lists.h"

#include <cctype>

#include "vobsub/output_names.h"

namespace kestrelpix {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

const std::vector<std::string>& LanguageList() {
  static const std::vector<std::string> kLanguages = {
      "ab ABKHAZIAN",
      "om AFAN (OROMO)",
      "aa AFAR\tAA",
      "af AFRIKAANS",
      "sq ALBANIAN",
      "am AMHARIC",
      "ar ARABIC",
      "hy ARMENIAN",
      "as ASSAMESE",
      "ay AYMARA",
      "az AZERBAIJANI",
      "ba BASHKIR",
      "eu BASQUE",
      "bn BENGALI,BANGLA",
      "bz BHUTANI",
      "bh BIHARI",
      "bi BISLAMA",
      "br BRETON",
      "bg BULGARIAN",
      "my BURMESE",
      "be BYELORUSSIAN",
      "km CAMBODIAN",
      "ca CATALAN",
      "zh CHINESE",
      "co CORSICAN",
      "hr CROATIAN",
      "cs CZECH",
      "da DANISH",
      "nl DUTCH",
      "en ENGLISH",
      "eo ESPERANTO",
      "et ESTONIAN",
      "fo FAROESE",
      "fj FIJI FJ",
      "fi FINNISH",
      "fr FRENCH",
      "fy FRISIAN",
      "mk FUROM",
      "gl GALICIAN",
      "ka GEORGIAN",
      "de GERMAN",
      "el GREEK",
      "kl GREENLANDIC",
      "gn GUARANI",
      "gu GUJARATI",
      "ha HAUSA",
      "he HEBREW (formely iw)",
      "hi HINDI",
      "hu HUNGARIAN",
      "is ICELANDIC",
      "id INDONESIAN (formely in)",
      "ia INTERLINGUA",
      "ie INTERLINGUE",
      "ik INUPIAK",
      "ga IRISH",
      "it ITALIAN",
      "ja JAPANESE",
      "jv JAVANESE",
      "kn KANNADA",
      "ks KASHMIRI",
      "kk KAZAKH",
      "rw KINYARWANDA",
      "ky KIRGHIZ",
      "rn KURUNDI",
      "ko KOREAN",
      "ku KURDISH",
      "lo LAOTHIAN",
      "la LATIN",
      "lv LATVIAN,LETTISH",
      "ln LINGALA",
      "lt LITHUANIAN",
      "mg MALAGASY",
      "ms MS",
      "ml MALAYALAM",
      "mt MALTESE",
      "mi MAORI",
      "mr MARATHI",
      "mo MOLDAVIAN",
      "mn MONGOLIAN",
      "na NAURU",
      "ne NEPALI",
      "no NORWEGIAN",
      "oc OCCITAN",
      "or ORIYA",
      "ps PASHTO,PUSHTO",
      "fa PERSIAN (farsi)",
      "pl POLISH",
      "pt PORTUGUESE",
      "pa PUNJABI",
      "qu QUECHUA",
      "rm RHAETO-ROMANCE",
      "ro ROMANIAN",
      "ru RUSSIAN",
      "sm SAMOAN",
      "sg SANGHO",
      "sa SANSKRIT",
      "gb SCOTS",
      "sr SERBIAN",
      "sh SERBO-CROATIAN",
      "st SESOTHO",
      "tn SETSWANA",
      "sn SHONA",
      "sd SINDHI",
      "si SINGHALESE",
      "ss SISWATI",
      "sk SLOVAK",
      "sl SLOVENIAN",
      "so SOMALI",
      "es SPANISH",
      "su SUNDANESE",
      "sw SWAHILI",
      "sv SWEDISH",
      "tl TAGALOG",
      "tg TAJIK",
      "ta TAMIL",
      "tt TATAR",
      "te TELUGU",
      "th THAI\tTH",
      "bo TIBETAN",
      "ti TIGRINYA",
      "to TONGA",
      "ts TSONGA",
      "tr TURKISH",
      "tk TURKMEN",
      "tw TWI",
      "uk UKRAINIAN",
      "ur URDU",
      "uz UZBEK",
      "vi VIETNAMESE",
      "vo VOLAPUK",
      "cy WELSH",
      "wo WOLOF",
      "xh XHOSA",
      "yi YIDDISH",
      "yo YORUBA",
      "zu ZULU",
  };
  return kLanguages;
}

const std::vector<std::string>& FpsList() {
  static const std::vector<std::string> kFps = {"23.976", "24.000", "25.000", "29.970", "30.000"};
  return kFps;
}

const std::vector<std::string>& AlignList() {
  static const std::vector<std::string> kAlign = {"center", "left", "right"};
  return kAlign;
}

const std::vector<std::string>& OutlineWidthList() {
  static const std::vector<std::string> kOutline = {"2", "3", "4"};
  return kOutline;
}

std::optional<std::string> LanguageForCode(std::string_view code) {
  if (code.size() != 2) return std::nullopt;
  const std::string lower = Lower(code);
  for (const std::string& entry : LanguageList()) {
    if (entry.size() > 3 && entry.compare(0, 2, lower) == 0) return entry;
  }
  return std::nullopt;
}

const std::vector<PaletteModeInfo>& PaletteModes() {
  static const std::vector<PaletteModeInfo> kModes = {
      {PaletteMode::PcOnly, "pc",
       "ffmpeg, mpv and VLC show the chosen colours, MPlayer their brightness (it draws in "
       "grey levels); a DVD does not."},
      {PaletteMode::DvdOnly, "dvd",
       "a DVD authored from the pair shows the chosen colours; ffmpeg, mpv and VLC show white "
       "as pink."},
      {PaletteMode::TwoPalettes, "two",
       "a DVD shows the chosen colours; ffmpeg, mpv and VLC show white as pink, and MPlayer "
       "swaps text and outline."},
      {PaletteMode::SafePalette, "safe",
       "ffmpeg, mpv and VLC show the safe list's colours, MPlayer their brightness; a DVD "
       "shows nearby colours."},
  };
  return kModes;
}

const PaletteModeInfo& PaletteModeInfoFor(PaletteMode mode) {
  for (const PaletteModeInfo& info : PaletteModes()) {
    if (info.mode == mode) return info;
  }
  return PaletteModes().front();
}

std::string LanguageTagOf(const std::string& path) {
  const std::string name = path.substr(FolderOf(path).size());
  const size_t extension = name.find_last_of('.');
  if (extension == std::string::npos || extension == 0) return "";
  const size_t dot = name.find_last_of('.', extension - 1);
  if (dot == std::string::npos || extension - dot != 3) return "";
  const std::string tag = name.substr(dot + 1, 2);
  if (!std::isalpha(static_cast<unsigned char>(tag[0])) ||
      !std::isalpha(static_cast<unsigned char>(tag[1]))) {
    return "";
  }
  return Lower(tag);
}

}  // namespace kestrelpix
