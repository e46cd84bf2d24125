#pragma once
// The help texts of tripconf-cli, made from the command table.
#include "Command.h"

#include <exception>
#include <string>

namespace tc::cli {

// One line: what the program is.
std::string Summary();

// `tripconf-cli --help`: usage, every command with its summary, the global
// options, the exit codes, the files and the environment.
std::string MainHelp();

// The usage line of a command, with every option it takes.
std::string FullUsage(const Command& command);

// `tripconf-cli COMMAND --help`: usage, summary, the command's options.
std::string CommandHelp(const Command& command);

// The man page tripconf-cli(1) in roff, from the command table.
std::string ManualPage();

// The bash completion script, from the command table.
std::string BashCompletion();

// The parser's complaint as one line that names the option.
std::string ParserErrorText(const std::exception& e);

} // namespace tc::cli
