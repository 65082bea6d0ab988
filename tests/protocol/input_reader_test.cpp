#include "protocol/input_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace talvik {
namespace {

// A pipe whose read end feeds a InputReader.
class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe(fds_), 0); }
  ~Pipe() {
    closeWriter();
    ::close(fds_[0]);
  }
  int readEnd() const { return fds_[0]; }
  void write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fds_[1], text.data() + done, text.size() - done);
      ASSERT_GT(n, 0);
      done += static_cast<std::size_t>(n);
    }
  }
  void closeWriter() {
    if (fds_[1] >= 0) ::close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2] = {-1, -1};
};

std::vector<std::string> readAll(InputReader& reader) {
  std::vector<std::string> lines;
  std::string line;
  while (reader.readLine(line)) lines.push_back(line);
  return lines;
}

// Everything is written before reading starts, so the input stays below the
// pipe's capacity.
TEST(InputReader, SplitsInputIntoLines) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"plain", "uci\nisready\n", {"uci", "isready"}},
      {"empty and blank lines stay", "\n   \nquit\n", {"", "   ", "quit"}},
      {"last line without line feed", "go\nquit", {"go", "quit"}},
      {"carriage return before line feed", "uci\r\nisready\r\n", {"uci", "isready"}},
      {"inner carriage return stays", "a\rb\n", {"a\rb"}},
      {"NUL ends the text", std::string("quit\0junk\nnext\n", 15), {"quit", "next"}},
      {"tab is not a separator here", "go\tdepth 3\n", {"go\tdepth 3"}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) {
    Pipe pipe;
    pipe.write(c.input);
    pipe.closeWriter();
    InputReader reader(pipe.readEnd());
    EXPECT_EQ(readAll(reader), c.lines) << c.name;
  }
}

// GUIs send whole games in one "position" line: a long line must arrive as
// one command, however the writer splits it.
TEST(InputReader, ReadsLongLinesWhole) {
  Pipe pipe;
  InputReader reader(pipe.readEnd());
  const std::string longLine = "position startpos moves" + std::string(100000, 'x');
  std::thread writer([&] {
    for (std::size_t i = 0; i < longLine.size(); i += 3000) pipe.write(longLine.substr(i, 3000));
    pipe.write("\nisready\n");
    pipe.closeWriter();
  });
  EXPECT_EQ(readAll(reader), (std::vector<std::string>{longLine, "isready"}));
  writer.join();
}

TEST(InputReader, OverlongLineKeepsItsHeadAndTheNextLine) {
  Pipe pipe;
  pipe.write(std::string(50, 'a') + std::string(5000, 'b') + "\nquit\n");
  pipe.closeWriter();
  InputReader reader(pipe.readEnd(), 100);
  const std::vector<std::string> lines = readAll(reader);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(50, 'a') + std::string(50, 'b'));
  EXPECT_EQ(lines[1], "quit");
}

// A search polls with inputWaiting(); lines already buffered by the reader
// are invisible to the descriptor and must still count as waiting.
TEST(InputReader, BufferedLinesCountAsWaiting) {
  Pipe pipe;
  InputReader reader(pipe.readEnd());
  EXPECT_FALSE(reader.inputWaiting());
  pipe.write("go\nstop\n");
  EXPECT_TRUE(reader.inputWaiting());
  std::string line;
  ASSERT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "go");
  EXPECT_TRUE(reader.inputWaiting());  // "stop" is in the buffer, the pipe is empty
  ASSERT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "stop");
  EXPECT_FALSE(reader.inputWaiting());
  pipe.write("sto");  // part of a line: readable, so the poll reports it
  EXPECT_TRUE(reader.inputWaiting());
  pipe.closeWriter();
  EXPECT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "sto");
  EXPECT_TRUE(reader.inputWaiting());  // the end of input is news too
  EXPECT_FALSE(reader.readLine(line));
}

TEST(InputReader, InterruptReleasesABlockedReader) {
  Pipe pipe;
  InputReader reader(pipe.readEnd());
  bool result = true;
  std::thread blocked([&] {
    std::string line;
    result = reader.readLine(line);
  });
  reader.interrupt();
  blocked.join();
  EXPECT_FALSE(result);
  pipe.write("uci\n");
  std::string line;
  EXPECT_FALSE(reader.readLine(line));
}

}  // namespace
}  // namespace talvik
