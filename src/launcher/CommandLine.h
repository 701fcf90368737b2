#pragma once

namespace murvo {

// Splits a command-line text into argc/argv by the launcher's own rules:
// blank, tab and line feed separate; double quotes group; a backslash
// protects a double quote, inside a quoted argument and outside.
class CommandLine {
 public:
  // `programName` becomes element 0 as it is, without a copy.
  CommandLine(const char* commandLineText, const char* programName);
  virtual ~CommandLine() = default;

  void parse();
  int getArgc() const { return argc; }
  char** getArgv() const { return argv; }

 private:
  const char* commandLineText;
  const char* programName;
  char** argv = nullptr;
  int argc = -1;
};

}  // namespace murvo
