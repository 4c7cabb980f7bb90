// The few pieces of the D-Bus wire format that the resume watcher speaks: a little-endian
// method call out, any message in. Values as the D-Bus protocol fixes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::dbus {

// Fixed header: endianness, type, flags, protocol version, body length, serial, then the
// length of the header-field array. The fields start 8-aligned right after it.
constexpr size_t kFixedHeader = 12;
constexpr size_t kFieldsStart = 16;
constexpr uint8_t kLittleEndian = 'l';
constexpr uint8_t kBigEndian = 'B';
constexpr uint8_t kProtocolVersion = 1;

// Message types.
constexpr uint8_t kMethodCall = 1;
constexpr uint8_t kMethodReturn = 2;
constexpr uint8_t kError = 3;
constexpr uint8_t kSignal = 4;

// Header-field codes; each field is a (byte code, variant) struct.
constexpr uint8_t kFieldPath = 1;        // object path
constexpr uint8_t kFieldInterface = 2;   // string
constexpr uint8_t kFieldMember = 3;      // string
constexpr uint8_t kFieldErrorName = 4;   // string
constexpr uint8_t kFieldReplySerial = 5; // uint32
constexpr uint8_t kFieldDestination = 6; // string
constexpr uint8_t kFieldSender = 7;      // string
constexpr uint8_t kFieldSignature = 8;   // signature
constexpr uint8_t kFieldUnixFds = 9;     // uint32

// Nothing the watcher expects comes near this; anything larger is treated as malformed.
constexpr size_t kMaxMessage = size_t{1} << 20;

// The bus daemon and the signal this watcher listens for.
constexpr std::string_view kBusName = "org.freedesktop.DBus";
constexpr std::string_view kBusPath = "/org/freedesktop/DBus";
constexpr std::string_view kLoginInterface = "org.freedesktop.login1.Manager";
constexpr std::string_view kPrepareForSleep = "PrepareForSleep";
constexpr std::string_view kSleepRule =
    "type='signal',interface='org.freedesktop.login1.Manager',member='PrepareForSleep',"
    "path='/org/freedesktop/login1'";

// A method call to the bus daemon with no argument or one string argument.
std::vector<uint8_t> method_call(uint32_t serial, std::string_view member,
                                 std::optional<std::string_view> argument);

// What the watcher needs of one incoming message.
struct Message {
    uint8_t type = 0;
    std::string interface;
    std::string member;
    std::string signature;
    std::optional<bool> boolean; // the body's value when the signature is "b"
};

enum class ParseResult { complete, incomplete, malformed };

// Parses the message at the start of `data`. On `complete`, `used` is its full length.
ParseResult parse_message(const uint8_t* data, size_t size, Message& out, size_t& used);

} // namespace platform::dbus
