#include "vobsub/tool_runner.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace kestrelpix::testing {

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult result;
  const std::string full = commandLine + " 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run: " + commandLine);
  std::array<char, 4096> buffer;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.output.append(buffer.data(), got);
  }
  const int status = pclose(pipe);
  result.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

bool HaveProgram(const std::string& program) {
  return RunCommand("command -v " + ShellQuote(program) + " >/dev/null").exitCode == 0;
}

std::string MakeTempFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("cannot create a temporary folder");
  return buffer.data();
}

}  // namespace kestrelpix::testing
