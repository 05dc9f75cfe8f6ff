// Running the command-line programs as a user does: arguments quoted for
// the shell, standard output and error captured in files of a temporary
// folder, and the exit code.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace tinydb::test {

// What one run of a program left behind.
struct TRun {
  int exit_code;  // -1 when the program did not exit normally
  std::string out;
  std::string err;

  // stdout split into lines.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

// The whole file at |path|, byte for byte ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Replaces the file at |path| with |bytes|.
inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// |arg| as one word for /bin/sh, whatever characters it holds.
inline std::string ShellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A test with a temporary folder of its own (named after |prefix|) in
// which the programs it runs leave their output.
class TToolTest : public ::testing::Test {
 protected:
  explicit TToolTest(const std::string& prefix) : dir_(prefix) {}

  // The path of |name| inside the test's folder.
  std::string Path(const std::string& name) const { return dir_.Path(name); }

  // Runs |program| with |args| and waits for it. With |input| the program
  // reads it on standard input; without, it shares the test's own.
  TRun Run(const std::string& program, const std::vector<std::string>& args,
           const std::optional<std::string>& input = std::nullopt) const {
    std::string command = ShellQuote(program);
    for (const std::string& arg : args) {
      command += ' ';
      command += ShellQuote(arg);
    }
    if (input) {
      WriteFile(Path("stdin"), *input);
      command += " <" + ShellQuote(Path("stdin"));
    }
    command += " >" + ShellQuote(Path("stdout")) + " 2>" + ShellQuote(Path("stderr"));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Path("stdout")),
            ReadFile(Path("stderr"))};
  }

#ifdef ZESTORIA_TDB
  // Runs tdb with |args|, feeding |input| on standard input.
  TRun Tdb(const std::vector<std::string>& args, const std::string& input = "") const {
    return Run(ZESTORIA_TDB, args, input);
  }
#endif

 private:
  TTempDir dir_;
};

}  // namespace tinydb::test
