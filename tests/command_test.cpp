// The command line and its failures, through the built binary.
#include "run.hpp"

#include <gtest/gtest.h>

namespace {

const std::string ACUTE_A = R"(a\h'-0.50m'\z\'\h'0.50m')";

TEST(Command, NoFileIsAUsageError) {
  const Scratch s;
  const Outcome r = s.run("$DIASET");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Usage: diaset filename\n");
  EXPECT_EQ(r.status, 2);
}

TEST(Command, TakesOptionsBeforeTheFiles) {
  const Scratch s;
  s.write("in", "a'\n");
  s.write("-g", "x\n");
  const std::string usage = "Usage: diaset [-gqu] [--] filename...\n";
  struct Case {
    std::string command, out, err;
    int status;
  };
  const Case cases[] = {
      {"$DIASET -x in", "", "diaset: unknown option -x\n" + usage, 2},
      {"$DIASET -gz in", "", "diaset: unknown option -z\n" + usage, 2},
      {"$DIASET --bogus in", "", "diaset: unknown option --bogus\n" + usage, 2},
      {"$DIASET -g", "", "Usage: diaset filename\n", 2},
      {"$DIASET --version", "diaset 0.1\n", "", 0},
      // After --, and after the first file, every word is a file.
      {"$DIASET -- -g", "x\n", "", 0},
      {"$DIASET in -g", ACUTE_A + "\nx\n", "", 0},
      {"$DIASET -gq in | tail -n 1", "\\[u00E1]\n", "", 0},
  };
  for (const Case& c : cases) {
    const Outcome r = s.run(c.command);
    EXPECT_EQ(r.out, c.out) << c.command;
    EXPECT_EQ(r.err, c.err) << c.command;
    EXPECT_EQ(r.status, c.status) << c.command;
  }
  // --help names every option; --macros is what -g writes first.
  const Outcome help = s.run("$DIASET --help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"-g", "-q", "-u", "--macros", "--help", "--version", "--"})
    EXPECT_NE(help.out.find(std::string("  ") + option + " "), std::string::npos) << option;
  const Outcome macros = s.run("$DIASET --macros");
  const Outcome glyphs = s.run("$DIASET -g in");
  EXPECT_EQ(macros.status, 0);
  EXPECT_EQ(glyphs.out, macros.out + "\\[u00E1]\n");
}

TEST(Command, FiltersOneFile) {
  const Scratch s;
  s.write("in.viqr", "a'\n");
  const Outcome r = s.run("$DIASET in.viqr");
  EXPECT_EQ(r.out, ACUTE_A + "\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(Command, EmptyFileWritesNothing) {
  const Scratch s;
  s.write("empty", "");
  const Outcome r = s.run("$DIASET empty");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.status, 0);
}

TEST(Command, FiltersEveryFileInOrderWithFreshLookahead) {
  const Scratch s;
  s.write("one", "a");
  s.write("two", "'d");
  s.write("three", "d");
  const Outcome r = s.run("$DIASET one two three one");
  // A mark or d at the start of a file never joins the end of the file before.
  EXPECT_EQ(r.out, "a'dda");
  EXPECT_EQ(r.status, 0);
}

TEST(Command, ReportsAFileThatCannotBeOpenedAndGoesOn) {
  const Scratch s;
  s.write("good", "a'");
  const Outcome r = s.run("$DIASET missing good -");
  EXPECT_EQ(r.out, ACUTE_A);
  EXPECT_EQ(r.err, "Cannot open file missing\nCannot open file -\n");
  EXPECT_EQ(r.status, 1);
}

TEST(Command, ReportsAFileThatCannotBeReadAndGoesOn) {
  const Scratch s;
  s.write("good", "a'");
  const Outcome r = s.run("mkdir folder && $DIASET good folder good");
  EXPECT_EQ(r.out, ACUTE_A + ACUTE_A);
  EXPECT_EQ(r.err, "Cannot read file folder\n");
  EXPECT_EQ(r.status, 1);
}

TEST(Command, DiagnosticsFollowTheOutputBeforeThem) {
  const Scratch s;
  s.write("good", "x");
  const Outcome r = s.run("$DIASET good missing good 2>&1");
  EXPECT_EQ(r.out, "xCannot open file missing\nx");
}

TEST(Command, ReportsAnOutputThatCannotBeWritten) {
  const Scratch s;
  s.write("good", "a'");
  for (const char* redirect : {">/dev/full", ">&-"}) {
    const Outcome r = s.run(std::string("$DIASET good ") + redirect);
    EXPECT_EQ(r.err, "Cannot write output\n") << redirect;
    EXPECT_EQ(r.status, 1) << redirect;
  }
}

TEST(Command, SkipsAnInputThatIsTheOutput) {
  const Scratch s;
  s.write("f", "a'\n");
  s.write("g", "x\n");
  const Outcome r = s.run("$DIASET g f g >>f");
  EXPECT_EQ(r.err, "Input file f is the output\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(s.path("f")), "a'\nx\nx\n");
  // Another name for the same file is the same file; a device is never one.
  EXPECT_EQ(s.run("ln f h && $DIASET h >>f").status, 1);
  EXPECT_EQ(s.run("$DIASET /dev/null >/dev/null").status, 0);
}

TEST(Command, WaitsOnANonBlockingOutputThatIsFull) {
  const Scratch s;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "Ngu+o+`i Vie^.t ";
  s.write("big.viqr", text);
  s.write("slow.py", R"(import fcntl, os, subprocess, sys, time
r, w = os.pipe()
fcntl.fcntl(w, fcntl.F_SETFL, fcntl.fcntl(w, fcntl.F_GETFL) | os.O_NONBLOCK)
p = subprocess.Popen([os.environ["DIASET"], "big.viqr"], stdout=w)
os.close(w)
time.sleep(0.3)
size = 0
while chunk := os.read(r, 65536):
    size += len(chunk)
print(size, p.wait())
)");
  const Outcome r = s.run("python3 slow.py");
  const Outcome whole = s.run("$DIASET big.viqr | wc -c");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::to_string(std::stol(whole.out)) + " 0\n");
}

TEST(Command, WritesWhatTheStraightforwardFilterWrites) {
  // Every vowel with every modifier and tone, every d pair and escape, each followed by every
  // kind of byte, in a file long enough for the fast path and through block boundaries.
  std::string text;
  const std::string after = std::string("x'`?~.^+(dD\\a\n\0\xff", 16);
  for (int round = 0; round < 4; ++round)
    for (const char first : std::string("aeiouyAEIOUYdD\\x"))
      for (const std::string mark : {"", "^", "+", "(", "'", "`", "?", "~", ".", "d", "D"})
        for (const std::string tone : {"", "'", "`", "?", "~", "."})
          for (const char next : after) text += first + mark + tone + next + ' ';
  const Scratch s;
  s.write("every.viqr", text);
  const Outcome r = s.run("$DIASET every.viqr");
  const Outcome expected = s.run(std::string("'") + DIASET_BASELINE + "' every.viqr");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == expected.out) << "the outputs differ";
}

} // namespace
