#include "run.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>

namespace {

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

} // namespace

Scratch::Scratch() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/diaset-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  dir_ = pattern;
}

Scratch::~Scratch() {
  const std::string remove = "chmod -R u+rwx " + quoted(dir_) + "; rm -rf " + quoted(dir_);
  [[maybe_unused]] const int ignored = std::system(remove.c_str());
}

void Scratch::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path(name), std::ios::binary) << bytes;
}

Outcome Scratch::run(const std::string& command) const {
  const std::string script = "cd " + quoted(dir_) + " && DIASET=" + quoted(DIASET_BINARY) +
                             " && export DIASET && (" + command + ") >.stdout 2>.stderr";
  const int wait_status = std::system(("/bin/sh -c " + quoted(script)).c_str());
  Outcome run{read_file(path(".stdout")), read_file(path(".stderr")), -1};
  if (WIFEXITED(wait_status))
    run.status = WEXITSTATUS(wait_status);
  else if (WIFSIGNALED(wait_status))
    run.status = 128 + WTERMSIG(wait_status);
  return run;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
