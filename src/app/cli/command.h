// The command-line tool's commands. Each command lives in a file of its own
// and registers itself here; main() dispatches on the first argument.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kestrelpix::cli {

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the input was refused or a file error stopped the work
constexpr int kExitUsage = 2;   // bad options or option values

// A command line the command cannot take (an unknown option, a value
// outside its list): what() is the message, which the command prints after
// "kestrelpix-cli NAME: " before it ends with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Prints "kestrelpix-cli COMMAND: message" on stderr; returns kExitUsage.
int ReportUsage(const char* command, const std::string& message);

struct Command {
  const char* name;
  const char* summary;                               // one line for --help
  int (*run)(const std::vector<std::string>& args);  // args after the command name
};

const std::vector<Command>& Commands();

struct RegisterCommand {
  explicit RegisterCommand(Command command);
};

}  // namespace kestrelpix::cli
