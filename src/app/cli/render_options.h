// The render settings as command-line options, shared by every command that
// draws or measures: --font --size --style --charset --outline --align
// --offset --line-offset --text-color --outline-color --antialias-color
// --fps. Unset options keep the window's defaults.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/command.h"
#include "render/render_settings.h"

namespace kestrelpix::cli {

// A command's arguments split into options and positional arguments.
// "--name value" and "--name=value" both give a value to an option that
// takes one; "--" ends the options, so later arguments may begin with "--".
struct CommandArgs {
  std::vector<std::pair<std::string, std::string>> options;  // name without "--"
  std::vector<std::string> positional;
  bool help = false;  // "--help" or "-h" was given
};

// Splits args. Every option must be one of value_options; an unknown option
// or a missing value throws UsageError.
CommandArgs SplitArgs(const std::vector<std::string>& args,
                      const std::vector<std::string>& value_options);

// The option names of the font (font, size, style, charset) and of all
// render settings (the font's and the rest).
const std::vector<std::string>& FontOptionNames();
const std::vector<std::string>& RenderOptionNames();

// Applies one render option to the settings. A value that is not one of the
// accepted ones throws UsageError naming the option and the accepted values;
// names that are not render options are refused the same way.
void ApplyRenderOption(std::string_view name, std::string_view value, RenderSettings& s);

// A colour as the options give it: one of the names black gray (or grey)
// white maroon green olive navy purple teal silver red lime yellow fuchsia
// aqua, in any letter case, or RRGGBB in hexadecimal with an optional "#".
// nullopt for anything else.
std::optional<ColorValue> ParseColorOption(std::string_view value);

// Help text lines for the render options, for a command's --help.
std::string RenderOptionsHelp(bool font_only);

}  // namespace kestrelpix::cli
