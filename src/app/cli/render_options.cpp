#include "app/cli/render_options.h"

#include <algorithm>
#include <cctype>

#include "app/control_lists.h"
#include "base/number_text.h"
#include "render/font_tables.h"
#include "vobsub/palette.h"

namespace kestrelpix::cli {

namespace {

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
  return out;
}

bool Contains(const std::vector<std::string>& items, std::string_view value) {
  return std::find(items.begin(), items.end(), value) != items.end();
}

std::string Refusal(std::string_view name, std::string_view value, const std::string& accepted) {
  return "--" + std::string(name) + ": '" + std::string(value) + "' is not accepted; use " +
         accepted;
}

}  // namespace

CommandArgs SplitArgs(const std::vector<std::string>& args,
                      const std::vector<std::string>& value_options) {
  CommandArgs out;
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (!options_done && arg == "-h") {
        out.help = true;
        continue;
      }
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help") {
      out.help = true;
      continue;
    }
    std::string name = arg.substr(2);
    std::string value;
    bool has_value = false;
    if (size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    }
    if (!Contains(value_options, name)) throw UsageError("unknown option --" + name);
    if (!has_value) {
      if (i + 1 >= args.size()) throw UsageError("--" + name + " needs a value");
      value = args[++i];
    }
    out.options.emplace_back(name, value);
  }
  return out;
}

const std::vector<std::string>& FontOptionNames() {
  static const std::vector<std::string> names = {"font", "size", "style", "charset"};
  return names;
}

const std::vector<std::string>& RenderOptionNames() {
  static const std::vector<std::string> names = {
      "font",   "size",        "style",      "charset",       "outline",         "align",
      "offset", "line-offset", "text-color", "outline-color", "antialias-color", "fps"};
  return names;
}

std::optional<ColorValue> ParseColorOption(std::string_view value) {
  std::string lower(value);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // The standard colours the colour boxes offer, and "grey" for gray.
  if (lower == "grey") lower = "gray";
  for (const NamedColor& named : StandardColors()) {
    if (lower == named.Name) return named.Value;
  }
  std::string_view hex = lower;
  if (!hex.empty() && hex[0] == '#') hex.remove_prefix(1);
  if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::nullopt;
  }
  uint32_t rgb = static_cast<uint32_t>(std::stoul(std::string(hex), nullptr, 16));
  return MakeColor(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                   static_cast<uint8_t>(rgb));
}

void ApplyRenderOption(std::string_view name, std::string_view value, RenderSettings& s) {
  int number = 0;
  if (name == "font") {
    if (value.empty()) {
      throw UsageError("--font: the face name must not be empty");
    }
    s.FontName = value;
  } else if (name == "size") {
    if (!Contains(FontSizeNames(), value)) {
      throw UsageError(
          Refusal(name, value, "a font size of the list: 6 to 30, or 32 to 50 in steps of 2"));
    }
    TryDecimalStrToInt(value, s.FontSize);
  } else if (name == "style") {
    if (!Contains(StyleNames(), value)) {
      throw UsageError(Refusal(name, value, "one of " + Join(StyleNames())));
    }
    s.FontStyle = StyleFromName(value);
  } else if (name == "charset") {
    if (!Contains(CharsetNames(), value)) {
      throw UsageError(Refusal(name, value, "one of " + Join(CharsetNames())));
    }
    s.FontCharset = CharsetFromName(value);
  } else if (name == "outline") {
    if (!Contains(OutlineWidthList(), value)) {
      throw UsageError(Refusal(name, value, "one of " + Join(OutlineWidthList())));
    }
    TryDecimalStrToInt(value, s.OutlineWidth);
  } else if (name == "align") {
    if (!Contains(AlignList(), value)) {
      throw UsageError(Refusal(name, value, "one of " + Join(AlignList())));
    }
    s.Align = value;
  } else if (name == "offset") {
    if (!TryDecimalStrToInt(value, number) || number < kBottomOffsetMin ||
        number > kBottomOffsetMax) {
      throw UsageError(Refusal(name, value,
                               "a whole number from " + std::to_string(kBottomOffsetMin) + " to " +
                                   std::to_string(kBottomOffsetMax)));
    }
    s.BottomOffset = number;
  } else if (name == "line-offset") {
    if (!TryDecimalStrToInt(value, number) || number < kLineSpacingMin ||
        number > kLineSpacingMax) {
      throw UsageError(Refusal(name, value,
                               "a whole number from " + std::to_string(kLineSpacingMin) + " to " +
                                   std::to_string(kLineSpacingMax)));
    }
    // As the slider does: an odd value moves up to the next even one.
    s.LineSpacing = (number & 1) != 0 ? number + 1 : number;
  } else if (name == "text-color" || name == "outline-color" || name == "antialias-color") {
    const std::optional<ColorValue> color = ParseColorOption(value);
    if (!color) {
      throw UsageError(
          Refusal(name, value,
                  "a colour name (black, gray or grey, white, maroon, green, olive, navy, "
                  "purple, teal, silver, red, lime, yellow, fuchsia, aqua) or RRGGBB in "
                  "hexadecimal"));
    }
    (name == "text-color"      ? s.TextColor
     : name == "outline-color" ? s.OutlineColor
                               : s.AntialiasColor) = *color;
  } else if (name == "fps") {
    if (!Contains(FpsList(), value)) {
      throw UsageError(Refusal(name, value, "one of " + Join(FpsList())));
    }
    s.Fps = value;
  } else {
    throw UsageError("unknown option --" + std::string(name));
  }
}

std::string RenderOptionsHelp(bool font_only) {
  std::string text =
      "  --font NAME            face name (default Arial)\n"
      "  --size PT              6..30, 32..50 even (default 20)\n"
      "  --style NAME           " +
      Join(StyleNames()) +
      " (default Normal)\n"
      "  --charset NAME         " +
      Join(CharsetNames()) +
      "\n"
      "                         (default DEFAULT: UTF-8, or Windows-1252 when not UTF-8)\n";
  if (font_only) return text;
  text +=
      "  --outline PX           2, 3 or 4 (default 3)\n"
      "  --align NAME           center, left or right (default center)\n"
      "  --offset PX            8..492, lift of the first line (default 30)\n"
      "  --line-offset PX       -14..10, line spacing adjustment; odd values go up to even\n"
      "                         (default -4)\n"
      "  --text-color C         colour name or RRGGBB (default white)\n"
      "  --outline-color C      (default black)\n"
      "  --antialias-color C    (default gray)\n"
      "  --fps RATE             23.976, 24.000, 25.000 (PAL 720x576), 29.970, 30.000\n"
      "                         (default 25.000)\n";
  return text;
}

}  // namespace kestrelpix::cli
