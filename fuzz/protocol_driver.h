// Feeding fuzzed command lines to a protocol handler of one engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace talvik::fuzz {

// Installs the protocol (once) in polling mode, sends `reset` lines, then
// every line of the input. Lines are tamed so that each input stays short:
// searches get a tiny depth, "analyze" and infinite searches are cut to that
// depth, perft commands to depth 2, hash sizes and thread counts to 1.
void runProtocolLines(int protocolId, std::initializer_list<const char*> reset, const std::uint8_t* data,
                      std::size_t size);

}  // namespace talvik::fuzz
