#pragma once

#include <cstddef>
#include <cstdint>

namespace quorfw {

// The bus vocabulary: request command codes (payload byte 0 of a request) and the answer
// codes the stations send back. Shared by the tool's operations and the simulated stations.

// Requests.
inline constexpr std::uint8_t kCmdKeyAnnouncement = 0x00;
inline constexpr std::uint8_t kCmdIdentity = 0x05;  // also the module name, by operand1
inline constexpr std::uint8_t kCmdImageCommit = 0x09;
inline constexpr std::uint8_t kCmdTransferStart = 0x17;
inline constexpr std::uint8_t kCmdTransferBlock = 0x18;
inline constexpr std::uint8_t kCmdTransferEnd = 0x19;
inline constexpr std::uint8_t kCmdModuleText = 0x1E;
inline constexpr std::uint8_t kCmdDataBlockWrite = 0x20;
inline constexpr std::uint8_t kCmdContinue = 0x22;  // continue, poll and hold
inline constexpr std::uint8_t kCmd35 = 0x23;
inline constexpr std::uint8_t kCmdTemplateWrite = 0x2F;
inline constexpr std::uint8_t kCmdTemplateRead = 0x31;
inline constexpr std::uint8_t kCmdDataBlockRead = 0x36;
inline constexpr std::uint8_t kCmdInformationRead = 0x38;
inline constexpr std::uint8_t kCmdParameterWrite = 0x39;
inline constexpr std::uint8_t kCmdRestart = 0x64;  // also the transfer abort

// operand1 of the identity command: the identity answer or the module name.
inline constexpr std::uint32_t kIdentityOperand = 0xFFFF0000;
inline constexpr std::uint32_t kModuleNameOperand = 0xFFFE0000;
// operand1 of the information read: the unit information, the unit extra block, a module.
inline constexpr std::uint32_t kUnitInformationOperand = 0xFFFFFFFF;
inline constexpr std::uint32_t kUnitExtraOperand = 0xFFFFFFFE;
inline constexpr std::uint32_t kModuleInformationOperand = 0;
// operand1 of the parameter write that carries the unit configuration.
inline constexpr std::uint32_t kUnitConfigurationOperand = 0xFFFFFFFF;
// operand2 of the module restart.
inline constexpr std::uint32_t kRestartOperand = 0xABCD0002;
inline constexpr std::uint32_t kCmd35Operand = 600;

// Answers.
inline constexpr std::uint8_t kAnsNeedKey = 0x80;
inline constexpr std::uint8_t kAnsDone = 0x81;
inline constexpr std::uint8_t kAnsAccepted = 0x82;
inline constexpr std::uint8_t kAnsRefused = 0x85;
inline constexpr std::uint8_t kAnsDataBlock = 0x87;
inline constexpr std::uint8_t kAnsTemplate = 0x8E;
inline constexpr std::uint8_t kAnsIdentity = 0x91;
inline constexpr std::uint8_t kAnsCommit = 0xA4;
inline constexpr std::uint8_t kAnsInformation = 0xB8;
inline constexpr std::uint8_t kAnsPartAccepted = 0x05;
inline constexpr std::uint8_t kAnsBlockAccepted = 0x35;

// Header-only frames: roll call, acknowledgement (and scan poll), re-request, link reset.
inline constexpr std::uint8_t kFlagsRollCall = 0xBC;
inline constexpr std::uint8_t kFlagsAcknowledge = 0xA8;
inline constexpr std::uint8_t kFlagsReRequest = 0xA0;
inline constexpr std::uint8_t kFlagsLinkReset = 0x80;

// Tool addresses besides the session's own.
inline constexpr std::uint32_t kToolAddress = 0x20000000;
inline constexpr std::uint32_t kToolAddressLateScan = 0xA0000001;
inline constexpr std::uint32_t kToolAddressUnitHold = 0xA0000000;
inline constexpr std::uint32_t kParameterWriteSource = 0x90000001;

// Data-block answers carry one byte at payload byte 9; the block follows it.
inline constexpr std::size_t kDataBlockAnswerDataOffset = 28;
// Read requests carry one pad byte after their operands.
inline constexpr std::uint16_t kReadRequestLength = 28;
inline constexpr std::uint16_t kBareRequestLength = 27;
inline constexpr std::uint16_t kHeaderOnlyLength = 14;

}  // namespace quorfw
