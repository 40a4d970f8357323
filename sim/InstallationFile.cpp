#include "sim/InstallationFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <sstream>
#include <system_error>

#include "sim/SimRandom.h"
#include "sim/SimStoreConfig.h"
#include "sim/StrictJson.h"
#include "userdata/RecordFormat.h"

namespace quorfw {

namespace {

using Json = nlohmann::ordered_json;

// The member of that name, or null when absent or v is not an object.
const Json* Find(const Json& v, const std::string& key)
{
    if (!v.is_object()) {
        return nullptr;
    }
    const auto it = v.find(key);
    return it != v.end() ? &*it : nullptr;
}

constexpr std::size_t kUnitInformationBytes = 94;
constexpr std::size_t kUnitExtraBytes = 64;
constexpr std::size_t kModuleInformationBytes = 404;
// Longer than any field that carries it, so that an over-long serial can be simulated.
constexpr std::size_t kMaxTextBytes = 64;
constexpr std::uint32_t kMaxVersion = 99999999;
// A module hands out at most 2000 template bytes.
constexpr std::uint32_t kMaxTemplateBytes = 2000;

// Collects the first error with the path of the value that caused it.
class Reader {
public:
    explicit Reader(std::string& error) : error_(error) {}

    bool Fail(const std::string& path, const std::string& message)
    {
        error_ = path + ": " + message;
        return false;
    }

    bool CheckMembers(const Json& v, const std::string& path, std::initializer_list<std::string_view> allowed)
    {
        if (!v.is_object()) {
            return Fail(path, "an object was expected");
        }
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (std::find(allowed.begin(), allowed.end(), it.key()) == allowed.end()) {
                return Fail(path, "unknown member \"" + it.key() + "\"");
            }
        }
        return true;
    }

    static std::optional<std::uint64_t> ParseDigits(std::string_view text, int base)
    {
        if (text.empty()) {
            return std::nullopt;
        }
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
        if (ec != std::errc{} || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return value;
    }

    bool Unsigned(const Json& v, const std::string& path, std::uint64_t max, std::uint64_t& out)
    {
        std::optional<std::uint64_t> value;
        // Whole numbers beyond the signed 64-bit range are not taken, as fractions are not.
        if (v.is_number_unsigned()) {
            if (v.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                value = v.get<std::uint64_t>();
            }
        } else if (v.is_number_integer()) {
            if (v.get<std::int64_t>() >= 0) {
                value = static_cast<std::uint64_t>(v.get<std::int64_t>());
            }
        } else if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
                value = ParseDigits(std::string_view(s).substr(2), 16);
            } else {
                value = ParseDigits(s, 10);
            }
        }
        if (!value) {
            return Fail(path, "a non-negative whole number (or \"0x...\" text) was expected");
        }
        if (*value > max) {
            return Fail(path, "value above " + std::to_string(max));
        }
        out = *value;
        return true;
    }

    template <typename T>
    bool Unsigned(const Json& v, const std::string& path, T& out)
    {
        std::uint64_t value = 0;
        if (!Unsigned(v, path, std::numeric_limits<T>::max(), value)) {
            return false;
        }
        out = static_cast<T>(value);
        return true;
    }

    // "a.b.c.d" with each group 0-99, or the integer a*1000000 + b*10000 + c*100 + d.
    bool Version(const Json& v, const std::string& path, std::uint32_t& out)
    {
        if (v.is_number()) {
            return Unsigned(v, path, kMaxVersion, out);
        }
        if (!v.is_string()) {
            return Fail(path, "a version like \"6.4.9.1\" was expected");
        }
        std::string_view rest = v.get_ref<const std::string&>();
        std::uint32_t value = 0;
        for (int group = 0; group < 4; ++group) {
            const std::size_t dot = rest.find('.');
            const std::string_view part = group < 3 ? rest.substr(0, dot) : rest;
            if ((group < 3 && dot == std::string_view::npos) || part.size() > 2) {
                return Fail(path, "a version like \"6.4.9.1\" was expected");
            }
            const std::optional<std::uint64_t> n = ParseDigits(part, 10);
            if (!n) {
                return Fail(path, "a version like \"6.4.9.1\" was expected");
            }
            value = value * 100 + static_cast<std::uint32_t>(*n);
            if (group < 3) {
                rest.remove_prefix(dot + 1);
            }
        }
        out = value;
        return true;
    }

    bool Unsigned(const Json& v, const std::string& path, std::uint64_t max, std::uint32_t& out)
    {
        std::uint64_t value = 0;
        if (!Unsigned(v, path, max, value)) {
            return false;
        }
        out = static_cast<std::uint32_t>(value);
        return true;
    }

    bool Text(const Json& v, const std::string& path, std::string& out)
    {
        if (!v.is_string()) {
            return Fail(path, "a text was expected");
        }
        const std::string& s = v.get_ref<const std::string&>();
        if (s.size() > kMaxTextBytes) {
            return Fail(path, "longer than " + std::to_string(kMaxTextBytes) + " characters");
        }
        // Stations carry their texts as 8-bit characters; NUL would end them early.
        for (const char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || u >= 0x7F) {
                return Fail(path, "only printable ASCII characters are allowed");
            }
        }
        out = s;
        return true;
    }

    bool HexBlock(const Json& v, const std::string& path, std::size_t size, std::vector<std::uint8_t>& out)
    {
        std::vector<std::uint8_t> bytes;
        if (!HexBytes(v, path, size, bytes)) {
            return false;
        }
        if (bytes.size() != size) {
            return Fail(path, std::to_string(size) + " bytes were expected, got " + std::to_string(bytes.size()));
        }
        out = std::move(bytes);
        return true;
    }

    // Hex text of at most maxSize bytes.
    bool HexBytes(const Json& v, const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>& out)
    {
        if (!v.is_string()) {
            return Fail(path, "a hex text was expected");
        }
        std::vector<std::uint8_t> bytes;
        int pending = -1;
        for (const char c : v.get_ref<const std::string&>()) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                continue;
            }
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            }
            if (digit < 0) {
                return Fail(path, "only hex digits and spaces are allowed");
            }
            if (pending < 0) {
                pending = digit;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
                pending = -1;
            }
        }
        if (pending >= 0) {
            return Fail(path, "odd number of hex digits");
        }
        if (bytes.size() > maxSize) {
            return Fail(path, "at most " + std::to_string(maxSize) + " bytes were expected, got " +
                                  std::to_string(bytes.size()));
        }
        out = std::move(bytes);
        return true;
    }

    bool AnswerKind(const Json& v, const std::string& path, std::uint8_t& out)
    {
        const std::string s = v.is_string() ? v.get_ref<const std::string&>() : std::string();
        if (s == "plain") {
            out = kAnswerPlain;
            return true;
        }
        if (s == "seed") {
            out = kAnswerSeedScrambled;
            return true;
        }
        if (s.size() == 9 && s.rfind("program:", 0) == 0 && s[8] >= '1' && s[8] <= '7') {
            out = static_cast<std::uint8_t>(s[8] - '0');
            return true;
        }
        return Fail(path, "\"plain\", \"seed\" or \"program:1\" to \"program:7\" was expected");
    }

    bool Probability(const Json& v, const std::string& path, double& out)
    {
        if (!v.is_number() || !(v.get<double>() >= 0.0 && v.get<double>() <= 1.0)) {
            return Fail(path, "a probability from 0 to 1 was expected");
        }
        out = v.get<double>();
        return true;
    }

private:
    std::string& error_;
};

// Address ranges by the top four bits: units 0x2..., modules 0x3..., 0x5..., 0x7..., 0x8....
bool IsUnitAddress(std::uint32_t a) { return (a >> 28) == 0x2; }
bool IsModuleAddress(std::uint32_t a)
{
    const std::uint32_t top = a >> 28;
    return top == 0x3 || top == 0x5 || top == 0x7 || top == 0x8;
}

bool ReadStation(Reader& r, const Json& v, const std::string& path, bool isUnit, StationConfig& s)
{
    if (isUnit) {
        if (!r.CheckMembers(v, path,
                            {"address", "hardwareCode", "version", "serial", "configuration", "kindCode", "information",
                             "extra", "answers", "announceAnswer", "pollLimit", "versionAfterUpdate", "restartDelayMs"})) {
            return false;
        }
    } else if (!r.CheckMembers(v, path,
                               {"address", "hardwareCode", "version", "serial", "information", "name", "answers",
                                "announceAnswer", "pollLimit", "versionAfterUpdate", "restartDelayMs"})) {
        return false;
    }
    const Json* address = Find(v, "address");
    if (address == nullptr) {
        return r.Fail(path, "\"address\" is missing");
    }
    if (!r.Unsigned(*address, path + ".address", s.address)) {
        return false;
    }
    if (isUnit && !IsUnitAddress(s.address)) {
        return r.Fail(path + ".address", "a unit address lies in 0x20000000-0x2FFFFFFF");
    }
    if (!isUnit && !IsModuleAddress(s.address)) {
        return r.Fail(path + ".address", "a module address starts with 0x3, 0x5, 0x7 or 0x8");
    }
    // The top address byte travels unfolded; these values would end or break the frame.
    const std::uint32_t top = s.address >> 24;
    if (top == 0x02 || top == 0x03 || top == 0x3F) {
        return r.Fail(path + ".address", "an address with top byte 0x3F cannot be carried on the bus");
    }
    struct Field {
        const char* name;
        std::function<bool(const Json&, const std::string&)> read;
    };
    const Field fields[] = {
        {"hardwareCode", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.hardwareCode); }},
        {"version", [&](const Json& f, const std::string& p) { return r.Version(f, p, s.version); }},
        {"serial", [&](const Json& f, const std::string& p) { return r.Text(f, p, s.serial); }},
        {"configuration", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.configuration); }},
        {"kindCode", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.kindCode); }},
        {"information",
         [&](const Json& f, const std::string& p) {
             return r.HexBlock(f, p, isUnit ? kUnitInformationBytes : kModuleInformationBytes, s.information);
         }},
        {"extra", [&](const Json& f, const std::string& p) { return r.HexBlock(f, p, kUnitExtraBytes, s.extraBlock); }},
        {"name", [&](const Json& f, const std::string& p) { return r.Text(f, p, s.name); }},
        {"answers", [&](const Json& f, const std::string& p) { return r.AnswerKind(f, p, s.answerKind); }},
        {"announceAnswer", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.announceAnswer); }},
        {"pollLimit", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.pollLimit); }},
        {"versionAfterUpdate",
         [&](const Json& f, const std::string& p) { return r.Version(f, p, s.versionAfterUpdate); }},
        {"restartDelayMs", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, s.restartDelayMs); }},
    };
    for (const Field& field : fields) {
        if (const Json* f = Find(v, field.name); f != nullptr && !field.read(*f, path + "." + field.name)) {
            return false;
        }
    }
    return true;
}

bool ReadFaultType(Reader& r, const Json& v, const std::string& path, FaultType& out)
{
    static const std::pair<std::string_view, FaultType> kTypes[] = {
        {"drop", FaultType::Drop},       {"corrupt", FaultType::Corrupt}, {"garbage", FaultType::Garbage},
        {"busy", FaultType::Busy},       {"refuse", FaultType::Refuse},   {"silence", FaultType::Silence},
        {"restart", FaultType::Restart}, {"foreign", FaultType::Foreign},
    };
    if (v.is_string()) {
        for (const auto& [name, type] : kTypes) {
            if (v.get_ref<const std::string&>() == name) {
                out = type;
                return true;
            }
        }
    }
    return r.Fail(path, "one of drop, corrupt, garbage, busy, refuse, silence, restart, foreign was expected");
}

bool ReadFault(Reader& r, const Json& v, const std::string& path, FaultRule& rule)
{
    if (!r.CheckMembers(v, path,
                        {"type", "station", "command", "probability", "nth", "count", "fromMs", "untilMs", "atMs",
                         "downMs", "address"})) {
        return false;
    }
    const Json* type = Find(v, "type");
    if (type == nullptr) {
        return r.Fail(path, "\"type\" is missing");
    }
    if (!ReadFaultType(r, *type, path + ".type", rule.type)) {
        return false;
    }
    if (const Json* f = Find(v, "station")) {
        std::uint32_t station = 0;
        if (!r.Unsigned(*f, path + ".station", station)) {
            return false;
        }
        rule.station = station;
    }
    if (const Json* f = Find(v, "command")) {
        std::uint8_t command = 0;
        if (!r.Unsigned(*f, path + ".command", command)) {
            return false;
        }
        rule.command = command;
    }
    if (Find(v, "probability") != nullptr && Find(v, "nth") != nullptr) {
        return r.Fail(path, "give either \"probability\" or \"nth\", not both");
    }
    if (const Json* f = Find(v, "address")) {
        if (rule.type != FaultType::Foreign) {
            return r.Fail(path + ".address", "not a member of this fault type");
        }
        std::uint32_t address = 0;
        if (!r.Unsigned(*f, path + ".address", address)) {
            return false;
        }
        rule.address = address;
    }
    if (const Json* f = Find(v, "probability"); f && !r.Probability(*f, path + ".probability", rule.probability)) {
        return false;
    }
    if (const Json* f = Find(v, "nth"); f && !r.Unsigned(*f, path + ".nth", rule.nth)) {
        return false;
    }
    if (const Json* f = Find(v, "count"); f && !r.Unsigned(*f, path + ".count", rule.count)) {
        return false;
    }
    const bool windowed = rule.type == FaultType::Silence || rule.type == FaultType::Restart;
    const char* const startName = rule.type == FaultType::Restart ? "atMs" : "fromMs";
    const char* const endName = rule.type == FaultType::Restart ? "downMs" : "untilMs";
    for (const char* name : {"fromMs", "untilMs", "atMs", "downMs"}) {
        if (Find(v, name) != nullptr && (!windowed || (std::string_view(name) != startName && std::string_view(name) != endName))) {
            return r.Fail(path + "." + name, "not a member of this fault type");
        }
    }
    if (windowed) {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        const Json* s = Find(v, startName);
        const Json* e = Find(v, endName);
        if (s == nullptr || e == nullptr) {
            return r.Fail(path, std::string("\"") + startName + "\" and \"" + endName + "\" are needed");
        }
        constexpr std::uint64_t kMaxMs = std::uint64_t{1} << 40;
        if (!r.Unsigned(*s, path + "." + startName, kMaxMs, start) || !r.Unsigned(*e, path + "." + endName, kMaxMs, end)) {
            return false;
        }
        rule.fromMs = start;
        rule.untilMs = rule.type == FaultType::Restart ? start + end : end;
        if (rule.untilMs < rule.fromMs) {
            return r.Fail(path + "." + endName, "the window ends before it begins");
        }
    }
    if ((rule.type == FaultType::Busy || rule.type == FaultType::Corrupt || rule.type == FaultType::Garbage ||
         rule.type == FaultType::Foreign) &&
        rule.count == 0) {
        return r.Fail(path + ".count", "must be at least 1");
    }
    return true;
}

bool ReadFaultArray(Reader& r, const Json& v, const std::string& path, std::vector<FaultRule>& out)
{
    if (!v.is_array()) {
        return r.Fail(path, "an array was expected");
    }
    for (std::size_t i = 0; i < v.size(); ++i) {
        FaultRule rule;
        if (!ReadFault(r, v[i], path + "[" + std::to_string(i) + "]", rule)) {
            return false;
        }
        out.push_back(rule);
    }
    return true;
}

// The date "DD.MM.YYYY" and time "hh:mm" of a log record, kept as the characters the unit
// stores.
bool ReadLogRecord(Reader& r, const Json& v, const std::string& path, std::array<std::uint8_t, 38>& out)
{
    if (!r.CheckMembers(v, path, {"number", "text", "date", "time", "device", "code", "event", "bits"})) {
        return false;
    }
    out.fill(0);
    std::uint8_t number = 0;
    std::uint8_t device = 0;
    std::uint8_t bits = 0;
    std::string text;
    std::string code;
    std::string date = "01.01.2026";
    std::string time = "00:00";
    std::string event = "0";
    const std::pair<const char*, std::function<bool(const Json&, const std::string&)>> fields[] = {
        {"number", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, number); }},
        {"device", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, device); }},
        {"bits", [&](const Json& f, const std::string& p) { return r.Unsigned(f, p, bits); }},
        {"text", [&](const Json& f, const std::string& p) { return r.Text(f, p, text); }},
        {"code", [&](const Json& f, const std::string& p) { return r.Text(f, p, code); }},
        {"date", [&](const Json& f, const std::string& p) { return r.Text(f, p, date); }},
        {"time", [&](const Json& f, const std::string& p) { return r.Text(f, p, time); }},
        {"event", [&](const Json& f, const std::string& p) { return r.Text(f, p, event); }},
    };
    for (const auto& [name, read] : fields) {
        if (const Json* f = Find(v, name); f != nullptr && !read(*f, path + "." + name)) {
            return false;
        }
    }
    if (text.size() > 7 || code.size() > 5) {
        return r.Fail(path, "\"text\" holds at most 7 characters, \"code\" at most 5");
    }
    if (date.size() != 10 || date[2] != '.' || date[5] != '.') {
        return r.Fail(path + ".date", "a date like \"01.06.2026\" was expected");
    }
    if (time.size() != 5 || time[2] != ':') {
        return r.Fail(path + ".time", "a time like \"08:15\" was expected");
    }
    if (event.size() != 1) {
        return r.Fail(path + ".event", "one event code character was expected");
    }
    out[3] = number;
    std::copy(text.begin(), text.end(), out.begin() + 4);
    std::copy_n(time.begin(), 2, out.begin() + 16);
    std::copy_n(time.begin() + 3, 2, out.begin() + 18);
    std::copy_n(date.begin(), 2, out.begin() + 21);
    std::copy_n(date.begin() + 3, 2, out.begin() + 23);
    std::copy_n(date.begin() + 6, 4, out.begin() + 25);
    out[30] = device;
    std::copy(code.begin(), code.end(), out.begin() + 31);
    out[36] = static_cast<std::uint8_t>(event[0]);
    out[37] = bits;
    return true;
}

bool ReadStoreUser(Reader& r, const Json& v, const std::string& path, SimStoreUser& user)
{
    if (!r.CheckMembers(v, path, {"number", "name", "templateMask", "extraMask", "byte1"})) {
        return false;
    }
    const Json* number = Find(v, "number");
    if (number == nullptr) {
        return r.Fail(path, "\"number\" is missing");
    }
    if (!r.Unsigned(*number, path + ".number", user.number)) {
        return false;
    }
    if (const Json* f = Find(v, "name"); f && !r.Text(*f, path + ".name", user.name)) {
        return false;
    }
    if (user.name.size() > 9) {
        return r.Fail(path + ".name", "at most 9 characters");
    }
    if (const Json* f = Find(v, "templateMask"); f && !r.Unsigned(*f, path + ".templateMask", user.templateMask)) {
        return false;
    }
    if (const Json* f = Find(v, "extraMask"); f && !r.Unsigned(*f, path + ".extraMask", user.extraMask)) {
        return false;
    }
    if (const Json* f = Find(v, "byte1"); f && !r.Unsigned(*f, path + ".byte1", user.byte1)) {
        return false;
    }
    return true;
}

bool ReadStoreTemplate(Reader& r, const Json& v, const std::string& path, SimStoreTemplate& t)
{
    if (!r.CheckMembers(v, path, {"user", "slot", "data", "size", "seed"})) {
        return false;
    }
    const Json* user = Find(v, "user");
    const Json* slot = Find(v, "slot");
    if (user == nullptr || slot == nullptr) {
        return r.Fail(path, "\"user\" and \"slot\" are needed");
    }
    if (!r.Unsigned(*user, path + ".user", t.user) || !r.Unsigned(*slot, path + ".slot", 19, t.slot)) {
        return false;
    }
    const Json* data = Find(v, "data");
    const Json* size = Find(v, "size");
    if ((data == nullptr) == (size == nullptr)) {
        return r.Fail(path, "either \"data\" (hex) or \"size\" (random bytes) is needed");
    }
    if (data != nullptr) {
        return r.HexBytes(*data, path + ".data", kMaxTemplateBytes, t.data);
    }
    std::uint32_t bytes = 0;
    std::uint64_t seed = 1;
    if (!r.Unsigned(*size, path + ".size", kMaxTemplateBytes, bytes)) {
        return false;
    }
    if (const Json* f = Find(v, "seed"); f && !r.Unsigned(*f, path + ".seed", std::numeric_limits<std::uint32_t>::max(), seed)) {
        return false;
    }
    SimRandom random(seed);
    t.data.resize(bytes);
    for (std::uint8_t& b : t.data) {
        b = static_cast<std::uint8_t>(random.Below(256));
    }
    return true;
}

bool ReadStore(Reader& r, const Json& v, const std::string& path, std::uint32_t unitVersion, SimStoreConfig& store)
{
    if (!r.CheckMembers(v, path, {"users", "templates", "generate", "log", "blocks"})) {
        return false;
    }
    auto readArray = [&](const char* name, auto readOne) {
        const Json* list = Find(v, name);
        if (list == nullptr) {
            return true;
        }
        const std::string listPath = path + "." + name;
        if (!list->is_array()) {
            return r.Fail(listPath, "an array was expected");
        }
        for (std::size_t i = 0; i < list->size(); ++i) {
            if (!readOne((*list)[i], listPath + "[" + std::to_string(i) + "]")) {
                return false;
            }
        }
        return true;
    };
    const bool listsRead =
        readArray("users",
                  [&](const Json& e, const std::string& p) {
                      store.users.emplace_back();
                      return ReadStoreUser(r, e, p, store.users.back());
                  }) &&
        readArray("templates",
                  [&](const Json& e, const std::string& p) {
                      store.templates.emplace_back();
                      return ReadStoreTemplate(r, e, p, store.templates.back());
                  }) &&
        readArray("log", [&](const Json& e, const std::string& p) {
            store.log.emplace_back();
            return ReadLogRecord(r, e, p, store.log.back());
        });
    if (!listsRead) {
        return false;
    }
    if (const Json* g = Find(v, "generate")) {
        const std::string p = path + ".generate";
        if (!r.CheckMembers(*g, p, {"users", "templatesPerUser", "templateBytes", "seed"})) {
            return false;
        }
        SimStoreGenerate generate;
        const std::pair<const char*, std::function<bool(const Json&, const std::string&)>> fields[] = {
            {"users", [&](const Json& f, const std::string& q) { return r.Unsigned(f, q, 255, generate.users); }},
            {"templatesPerUser",
             [&](const Json& f, const std::string& q) { return r.Unsigned(f, q, 10, generate.templatesPerUser); }},
            {"templateBytes",
             [&](const Json& f, const std::string& q) { return r.Unsigned(f, q, kMaxTemplateBytes, generate.templateBytes); }},
            {"seed",
             [&](const Json& f, const std::string& q) {
                 return r.Unsigned(f, q, std::numeric_limits<std::uint32_t>::max(), generate.seed);
             }},
        };
        for (const auto& [name, read] : fields) {
            if (const Json* f = Find(*g, name); f != nullptr && !read(*f, p + "." + name)) {
                return false;
            }
        }
        store.generate = generate;
    }
    if (const Json* blocks = Find(v, "blocks")) {
        const std::string p = path + ".blocks";
        if (!r.CheckMembers(*blocks, p, {"1", "2", "3", "4", "9", "10"})) {
            return false;
        }
        const std::size_t block2 = UsesNewRecordFormat(unitVersion) ? 33 : 17;
        const std::pair<std::uint16_t, std::size_t> shapes[] = {{1, 104}, {2, block2}, {3, 40}, {4, 1}, {9, 161}, {10, 1188}};
        for (const auto& [tag, size] : shapes) {
            const std::string name = std::to_string(tag);
            if (const Json* f = Find(*blocks, name); f && !r.HexBlock(*f, p + "." + name, size, store.blocks[tag])) {
                return false;
            }
        }
    }
    return true;
}

bool ReadInstallation(Reader& r, const Json& root, InstallationConfig& c)
{
    if (!r.CheckMembers(root, "installation", {"baud", "processingMs", "restartDownMs", "unit", "modules", "faults", "store"})) {
        return false;
    }
    if (const Json* f = Find(root, "baud")) {
        if (!r.Unsigned(*f, "baud", c.baud)) {
            return false;
        }
        if (c.baud == 0) {
            return r.Fail("baud", "must be above 0");
        }
    }
    if (const Json* f = Find(root, "processingMs"); f && !r.Unsigned(*f, "processingMs", 60000, c.processingMs)) {
        return false;
    }
    if (const Json* f = Find(root, "restartDownMs");
        f && !r.Unsigned(*f, "restartDownMs", 600000, c.restartDownMs)) {
        return false;
    }
    const Json* unit = Find(root, "unit");
    if (unit == nullptr) {
        return r.Fail("installation", "\"unit\" is missing");
    }
    if (!ReadStation(r, *unit, "unit", true, c.unit)) {
        return false;
    }
    if (const Json* modules = Find(root, "modules")) {
        if (!modules->is_array()) {
            return r.Fail("modules", "an array was expected");
        }
        if (modules->size() > InstallationConfig::kMaxModules) {
            return r.Fail("modules", "at most four modules sit behind a unit");
        }
        for (std::size_t i = 0; i < modules->size(); ++i) {
            const std::string path = "modules[" + std::to_string(i) + "]";
            StationConfig m;
            if (!ReadStation(r, (*modules)[i], path, false, m)) {
                return false;
            }
            for (const StationConfig& other : c.modules) {
                if (other.address == m.address) {
                    return r.Fail(path + ".address", "the same address as another module");
                }
            }
            c.modules.push_back(std::move(m));
        }
    }
    if (const Json* faults = Find(root, "faults"); faults && !ReadFaultArray(r, *faults, "faults", c.faults)) {
        return false;
    }
    if (const Json* store = Find(root, "store")) {
        c.store.emplace();
        if (!ReadStore(r, *store, "store", c.unit.version, *c.store)) {
            return false;
        }
    }
    return true;
}

std::optional<Json> ParseDocument(std::string_view text, std::string& error)
{
    JsonError jsonError;
    std::optional<Json> root = StrictJson::Parse(text, jsonError);
    if (!root) {
        error = jsonError.ToText();
    }
    return root;
}

}  // namespace

std::optional<InstallationConfig> InstallationFile::Parse(std::string_view text, std::string& error)
{
    const std::optional<Json> root = ParseDocument(text, error);
    if (!root) {
        return std::nullopt;
    }
    Reader reader(error);
    InstallationConfig config;
    if (!ReadInstallation(reader, *root, config)) {
        return std::nullopt;
    }
    return config;
}

std::optional<InstallationConfig> InstallationFile::Load(const std::filesystem::path& path, std::string& error)
{
    std::string text;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = path.string() + ": cannot be opened";
            return std::nullopt;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
    } catch (const std::exception& e) {
        error = path.string() + ": " + e.what();
        return std::nullopt;
    }
    std::optional<InstallationConfig> config = Parse(text, error);
    if (!config) {
        error = path.string() + ": " + error;
    }
    return config;
}

std::optional<std::vector<FaultRule>> InstallationFile::ParseFaults(std::string_view text, std::string& error)
{
    const std::optional<Json> root = ParseDocument(text, error);
    if (!root) {
        return std::nullopt;
    }
    Reader reader(error);
    std::vector<FaultRule> rules;
    if (!ReadFaultArray(reader, *root, "faults", rules)) {
        return std::nullopt;
    }
    return rules;
}

}  // namespace quorfw
