#pragma once

#include <cstdint>
#include <string_view>

namespace quorfw {

class BusSession;

// Restarts every present module (command 0x64); sent only, 100 ms after each.
void RestartAllModules(BusSession& session);

// Command 35 (0x23, operand 600) to every present module; sent only, 100 ms after each.
void BroadcastCommand35(BusSession& session);

// A text for module slot 0-3 (each character cut to 8 bits, then a 0 byte). Flag B wins over
// flag A. One attempt; the answer is not examined. A slot out of range or a text that does
// not fit one request sends nothing.
void SendModuleText(BusSession& session, std::uint8_t slot, std::u16string_view text, bool flagA, bool flagB);

}  // namespace quorfw
