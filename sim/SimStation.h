#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "bus/BusMessage.h"
#include "bus/FrameCodec.h"
#include "sim/FaultPlan.h"
#include "sim/SimReply.h"
#include "sim/StationConfig.h"
#include "sim/StationLink.h"

namespace quorfw {

// One simulated bus station: its link end (key, answer scrambling), its busy and re-request
// memory, and a table of request handlers by command code that the unit and the modules
// fill with what they answer.
class SimStation {
public:
    enum class Role { Unit, Module };

    // Command codes every station answers.
    static constexpr std::uint8_t kKeyAnnouncement = 0x00;
    static constexpr std::uint8_t kContinue = 0x22;
    // Answer codes.
    static constexpr std::uint8_t kAnswerAnnounceAgain = 0x80;
    static constexpr std::uint8_t kAnswerDone = 0x81;
    // frameFlags of the tool's bare re-request.
    static constexpr std::uint8_t kReRequestFlags = 0xA0;

    SimStation(const StationConfig& config, std::uint32_t randomSeed);
    virtual ~SimStation() = default;
    SimStation(const SimStation&) = delete;
    SimStation& operator=(const SimStation&) = delete;

    [[nodiscard]] virtual Role role() const = 0;
    [[nodiscard]] std::uint32_t Address() const { return config_.address; }
    [[nodiscard]] const StationConfig& Config() const { return config_; }
    // Answer style and announcement answer can change mid-run (a test switching a module
    // to another answer style, for instance).
    void SetAnswerKind(std::uint8_t kind) { config_.answerKind = kind; }
    void SetAnnounceAnswer(std::uint8_t code) { config_.announceAnswer = code; }
    void SetPollLimit(std::uint32_t limit) { config_.pollLimit = limit; }
    // New firmware: the version the station identifies with from now on.
    void SetVersion(std::uint32_t version) { config_.version = version; }

    // True once a key announcement was understood (and until the station restarts).
    [[nodiscard]] bool KeyKnown() const { return keyKnown_; }
    [[nodiscard]] StationLink& Link() { return link_; }

    // Reads a frame addressed to this station; an announcement teaches it the key.
    [[nodiscard]] DecodeResult Decode(std::span<const std::uint8_t> frame, BusMessage& request);
    // What the station answers to an understood request, busy and refusal faults included.
    [[nodiscard]] std::optional<SimReply> Respond(const BusMessage& request, FaultPlan& faults);
    // The reply's frame in this station's answer style. Without a key a scrambled answer
    // could not be read, so it goes plain.
    [[nodiscard]] EncodedFrame Encode(const SimReply& reply);
    // A power cycle: the key, a held-back request and the last answer are gone.
    virtual void Restart();

    // Answer to one request; nothing when the station stays silent. Handlers are registered
    // by the station itself and by the command set that serves discovery and unit data.
    using Handler = std::function<std::optional<BusMessage>(const BusMessage& request)>;
    void Handle(std::uint8_t command, Handler handler);

protected:
    // An answer to `request` with swapped addresses and the request's sequence.
    [[nodiscard]] static BusMessage Answer(const BusMessage& request, std::uint8_t code, std::uint32_t operand1,
                                           std::uint32_t operand2, std::span<const std::uint8_t> data = {});
    // A bare header from the tool other than a re-request; the scan's roll call will land here.
    [[nodiscard]] virtual std::optional<SimReply> RespondToHeader(const BusMessage& request);

private:
    [[nodiscard]] std::optional<SimReply> Dispatch(const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> AnswerAnnouncement(const BusMessage& request);
    [[nodiscard]] std::optional<BusMessage> AnswerPoll(const BusMessage& request);

    StationConfig config_;
    StationLink link_;
    bool keyKnown_ = false;
    std::array<Handler, 256> handlers_{};
    // A request answered busy, answered for real once the busy answers are used up.
    std::optional<BusMessage> pending_;
    std::uint32_t busyRemaining_ = 0;
    // Repeated when the tool asks again with a bare header.
    std::optional<SimReply> lastReply_;
};

}  // namespace quorfw
