#include "bus/CUSBD2xx.h"

#include <ftdi.h>

#include <algorithm>
#include <array>
#include <limits>

namespace quorfw {

namespace {

constexpr int kFtdiVendor = 0x0403;
// The product ids FTDI converters ship with: FT232R/FT245R, FT2232, FT4232, FT232H, FT-X.
constexpr std::array<int, 5> kFtdiProducts = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr std::size_t kMaxListedCtChars = 16;
constexpr int kLineTimeoutMs = 1500;
constexpr unsigned char kLatencyMs = 10;
constexpr unsigned char kEtx = 0x03;
// One USB read takes what the converter has, up to this much.
constexpr int kUsbReadChunk = 4096;

}  // namespace

CUSBD2xx::CUSBD2xx(Clock& clock) : StreamTransport(clock) {}

CUSBD2xx::~CUSBD2xx()
{
    Close();
}

std::optional<std::string> CUSBD2xx::ListedSerial(std::string_view serial)
{
    if (serial.empty()) {
        return std::nullopt;
    }
    if (serial[0] >= '*' && serial[0] <= '?') {
        return std::string(serial);
    }
    if (serial.size() >= 2 && serial[0] == 'C' && serial[1] == 'T') {
        return std::string(serial.substr(0, kMaxListedCtChars));
    }
    return std::nullopt;
}

std::vector<std::string> CUSBD2xx::Enumerate()
{
    std::vector<std::string> serials;
    ftdi_context* ctx = ftdi_new();
    if (ctx == nullptr) {
        return serials;
    }
    ftdi_device_list* devices = nullptr;
    // Vendor and product 0: every FTDI converter of the usual product ids.
    if (ftdi_usb_find_all(ctx, &devices, 0, 0) > 0) {
        for (ftdi_device_list* node = devices; node != nullptr; node = node->next) {
            std::array<char, 128> serial{};
            if (ftdi_usb_get_strings(ctx, node->dev, nullptr, 0, nullptr, 0, serial.data(),
                                     static_cast<int>(serial.size())) < 0) {
                continue;
            }
            if (std::optional<std::string> listed = ListedSerial(serial.data())) {
                serials.push_back(std::move(*listed));
            }
        }
    }
    ftdi_list_free(&devices);
    ftdi_free(ctx);
    return serials;
}

bool CUSBD2xx::OpenDevice(const std::string& serial, std::uint32_t baud)
{
    ftdi_ = ftdi_new();
    if (ftdi_ == nullptr) {
        return false;
    }
    if (!OpenBySerial(serial) || !SetUpLine(baud)) {
        ftdi_free(ftdi_);  // also closes the USB device if it was opened
        ftdi_ = nullptr;
        return false;
    }
    received_.clear();
    received_.reserve(kUsbReadChunk);
    return true;
}

bool CUSBD2xx::OpenBySerial(const std::string& serial)
{
    for (int product : kFtdiProducts) {
        if (ftdi_usb_open_desc(ftdi_, kFtdiVendor, product, nullptr, serial.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool CUSBD2xx::SetUpLine(std::uint32_t baud)
{
    // The order is the converter's; only the time-out step decides the open, the others
    // are best effort as the hardware has always been driven.
    (void)ftdi_set_baudrate(ftdi_, static_cast<int>(baud));
    (void)ftdi_setflowctrl(ftdi_, SIO_DISABLE_FLOW_CTRL);
    (void)ftdi_set_line_property(ftdi_, BITS_8, STOP_BIT_1, NONE);
    // ETX as event character: the converter hands a frame up as soon as it is complete.
    (void)ftdi_set_event_char(ftdi_, kEtx, 1);
    (void)ftdi_set_error_char(ftdi_, 0, 0);
    // The USB library keeps its time-outs in the context; setting them cannot fail.
    ftdi_->usb_read_timeout = kLineTimeoutMs;
    ftdi_->usb_write_timeout = kLineTimeoutMs;
    (void)ftdi_set_latency_timer(ftdi_, kLatencyMs);
    return true;
}

void CUSBD2xx::CloseDevice()
{
    if (ftdi_ != nullptr) {
        ftdi_usb_close(ftdi_);
        ftdi_free(ftdi_);
    }
    ftdi_ = nullptr;
    received_.clear();
}

std::optional<std::size_t> CUSBD2xx::QueuedBytes()
{
    if (received_.empty()) {
        std::array<unsigned char, kUsbReadChunk> chunk{};
        const int got = ftdi_read_data(ftdi_, chunk.data(), static_cast<int>(chunk.size()));
        if (got < 0) {
            return std::nullopt;
        }
        received_.insert(received_.end(), chunk.begin(), chunk.begin() + got);
    }
    return received_.size();
}

std::optional<std::size_t> CUSBD2xx::ReadSome(std::span<std::uint8_t> into)
{
    const std::size_t count = std::min(into.size(), received_.size());
    std::copy_n(received_.begin(), count, into.begin());
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::optional<std::size_t> CUSBD2xx::WriteSome(std::span<const std::uint8_t> bytes)
{
    const std::size_t chunk = std::min<std::size_t>(bytes.size(), std::numeric_limits<int>::max());
    const int put = ftdi_write_data(ftdi_, bytes.data(), static_cast<int>(chunk));
    if (put < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(put);
}

void CUSBD2xx::PurgeBoth()
{
    (void)ftdi_tcioflush(ftdi_);
    received_.clear();
}

}  // namespace quorfw
