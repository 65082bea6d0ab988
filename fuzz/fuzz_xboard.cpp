// XBoard command lines against one engine: any line, in any order, is
// answered or ignored without harm.
#include "protocol/frontend.h"
#include "protocol_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvik::fuzz::runProtocolLines(talvik::XboardProtocolId, {"new", "easy", "post", "sd 2"}, data, size);
  return 0;
}
