// The line parsers of the suite tools: EPD operations, the FEN syntax check,
// the perft suite's count fields.
#include "support.h"
#include "tools/eval_suite.h"
#include "tools/perft_suite.h"
#include "tools/test_suite.h"

using namespace talvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(fuzz::text(data, size));
  parseEpdLine(line);
  checkFenSyntax(line);
  const std::vector<std::string> fields = scanCountFields(line);
  for (int depth = -1; depth <= 8; ++depth) expectedCountText(fields, depth);
  return 0;
}
