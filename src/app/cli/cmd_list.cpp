// kestrelpix-cli list [--fps RATE] [--sami-class NAME] FILE: loads FILE as
// the window does and prints one line per entry: number, start ms, end ms, Text1, Text2, Text3,
// separated by TAB, text bytes as stored with "\" written "\\" and TAB
// written "\t". What the load noted about the file goes to stderr. RATE
// (25.000 unless given) counts the frames of a frame-numbered file that
// states no frame rate of its own, as convert does; NAME the language class
// a SAMI file is read in.
#include <cstdio>
#include <optional>
#include <string>

#include "app/cli/command.h"
#include "base/errors.h"
#include "base/message_sink.h"
#include "base/number_text.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix::cli {

namespace {

// Records whether any message was shown, and shows it on stderr.
class CountingStderrSink : public StderrMessageSink {
 public:
  void ShowMessage(std::string_view text) override {
    ++count;
    StderrMessageSink::ShowMessage(text);
  }
  int count = 0;
};

bool FpsIsValid(const std::string& text) {
  const std::optional<double> fps = TryStrToFloat(text);
  return fps && *fps > 0;
}

// Written in pieces of about 64 KiB, so that a long field is not held a
// second time as output.
class Output {
 public:
  ~Output() { Flush(); }
  void Put(char c) {
    out_ += c;
    if (out_.size() >= (1 << 16)) Flush();
  }
  void PutEscaped(std::string_view text) {
    for (char c : text) {
      if (c == '\\') {
        Put('\\'), Put('\\');
      } else if (c == '\t') {
        Put('\\'), Put('t');
      } else {
        Put(c);
      }
    }
  }
  void Flush() {
    std::fwrite(out_.data(), 1, out_.size(), stdout);
    out_.clear();
  }

 private:
  std::string out_;
};

void PrintEntries(const SubtitleDocument& doc) {
  {
    Output out;
    for (int i = 1; i <= doc.LineCount(); ++i) {
      const SubtitleEntryView line = doc.LineView(i);
      out.PutEscaped(std::to_string(i));
      const std::string start = std::to_string(line.StartMs);
      const std::string end = std::to_string(line.EndMs);
      for (std::string_view field :
           {std::string_view(start), std::string_view(end), line.Text1, line.Text2, line.Text3}) {
        out.Put('\t');
        out.PutEscaped(field);
      }
      out.Put('\n');
    }
  }
  std::fflush(stdout);
}

int RunList(const std::vector<std::string>& args) {
  LoadOptions options;
  options.ChosenFps = "25.000";
  std::vector<std::string> rest = args;
  bool named = true;
  while (rest.size() >= 3 && (rest[0] == "--fps" || rest[0] == "--sami-class")) {
    (rest[0] == "--fps" ? options.ChosenFps : options.SamiClass) = rest[1];
    named = named && !rest[1].empty();
    rest.erase(rest.begin(), rest.begin() + 2);
  }
  const bool fpsOk = FpsIsValid(options.ChosenFps);
  if (rest.size() != 1 || rest[0] == "--help" || !fpsOk || !named) {
    const bool help = rest.size() == 1 && rest[0] == "--help";
    std::fprintf(help ? stdout : stderr, "Usage: kestrelpix-cli list [--fps RATE] [--sami-class NAME] FILE\n");
    return help ? kExitOk : kExitUsage;
  }
  SubtitleDocument doc;
  CountingStderrSink sink;
  try {
    doc.LoadSubtitle(rest[0], true, sink, options);
    for (const std::string& note : doc.LoadNotes()) sink.Warn(note);
  } catch (const Error& e) {
    PrintEntries(doc);
    std::fprintf(stderr, "%s\n", e.what());
    return kExitFailed;
  }
  PrintEntries(doc);
  return sink.count > 0 || !doc.Loaded ? kExitFailed : kExitOk;
}

const RegisterCommand kRegistration({"list", "print the entries of a subtitle file", RunList});

}  // namespace

}  // namespace kestrelpix::cli
