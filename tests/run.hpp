// Running the built binary under /bin/sh, in a scratch folder of its own.
#pragma once

#include <string>

struct Outcome {
  std::string out;
  std::string err;
  int status; // exit status, or 128 + signal number
};

class Scratch {
public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  // Runs a shell command in the folder, with $DIASET naming the binary.
  Outcome run(const std::string& command) const;

private:
  std::string dir_;
};

std::string read_file(const std::string& path);
