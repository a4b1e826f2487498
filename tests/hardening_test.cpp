// The binary under broken output, unreadable and oddly ending input, and a large stream.
#include "driver/scan.hpp"
#include "run.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string lines_of_text(std::size_t copies) {
  const std::string sample = read_file(std::string(DIASET_SOURCE_DIR) + "/examples/sample.viqr");
  std::string text;
  for (std::size_t i = 0; i < copies; ++i) text += sample;
  return text;
}

TEST(Hardening, EndsAtOnceWhenTheReaderGoesAway) {
  const Scratch s;
  s.write("big.viqr", lines_of_text(2000)); // about 3.5 MB, well past any pipe's buffer
  // As cat does, it dies of SIGPIPE.
  Outcome r = s.run("($DIASET big.viqr; echo $? >status) | head -c 10");
  EXPECT_EQ(r.out.size(), 10u);
  EXPECT_EQ(read_file(s.path("status")), "141\n");
  EXPECT_EQ(r.err, "");
  // With SIGPIPE ignored, the failed write is reported once and the run stops.
  r = s.run("(trap '' PIPE; $DIASET big.viqr; echo $? >status) | head -c 10");
  EXPECT_EQ(read_file(s.path("status")), "1\n");
  EXPECT_EQ(r.err, "Cannot write output\n");
}

TEST(Hardening, ReportsUnreadableInputAmongGoodFiles) {
  const Scratch s;
  s.write("good", "dd");
  const Outcome r = s.run("mkdir folder && $DIASET folder good /dev/null folder good");
  const std::string bar = R"(d\h'-0.30m'\v'-0.35m'\z\(hy\v'0.35m'\h'0.30m')";
  EXPECT_EQ(r.out, bar + bar);
  EXPECT_EQ(r.err, "Cannot read file folder\nCannot read file folder\n");
  EXPECT_EQ(r.status, 1);
}

TEST(Hardening, FilesThatEndMidLetterEndCleanly) {
  struct Ending {
    std::string input;
    std::string output;
  };
  const Ending endings[] = {
      {"ba", "ba"},
      {"ba^", R"(b\o'a^')"},
      {"bu+", R"(bu\h'-0.25m'\v'0.10m'\z'\v'-0.10m'\h'0.25m')"},
      {"bu^", "bu^"},
      {"bd", "bd"},
      {"b\\", "b"},
      {"b\\\\", "b\\"},
      {"b'", "b'"},
  };
  const Scratch s;
  for (const Ending& e : endings) {
    s.write("in", e.input);
    const Outcome r = s.run("$DIASET in");
    EXPECT_EQ(r.out, e.output) << e.input;
    EXPECT_EQ(r.status, 0) << e.input;
  }
}

TEST(Hardening, LargeStreamsInFlatMemory) {
  const Scratch s;
  // Generated into a named pipe, so hundreds of megabytes pass without touching the disk.
  const std::string peak = "/usr/bin/time -f %M -o rss $DIASET ";
  Outcome r = s.run("printf 'Vie^.t\\n' >tiny && " + peak + "tiny >/dev/null && mv rss small");
  ASSERT_EQ(r.status, 0) << r.err;
  r = s.run("mkfifo big && ('" + std::string(DIASET_GENERATE) + "' 300000000 big &) && " + peak +
            "big | wc -c");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_GT(std::stoull(r.out), 2'000'000'000ull);
#if defined(DIASET_SANITIZED)
  GTEST_SKIP() << "the sanitizers' own memory hides the filter's";
#else
  const long small = std::stol(read_file(s.path("small")));
  const long large = std::stol(read_file(s.path("rss")));
  EXPECT_LE(large - small, 256) << "peak resident KiB: " << small << " for a line, " << large
                                << " for 300 MB";
#endif
}

} // namespace
