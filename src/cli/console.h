#ifndef VONTRALE_CLI_CONSOLE_H_
#define VONTRALE_CLI_CONSOLE_H_

#include <string>

// Where the tool's messages go: all of them, errors included.
class Console {
 public:
  virtual ~Console() = default;
  virtual void print(const std::string& text) = 0;
};

// Standard output. A terminal sees every message the moment it is printed,
// progress lines that end in a carriage return included; a file or a pipe
// gets the same bytes through a large buffer.
class StandardOutput final : public Console {
 public:
  StandardOutput();
  ~StandardOutput() override;
  void print(const std::string& text) override;
};

#endif  // VONTRALE_CLI_CONSOLE_H_
