// Marshalling of the watcher's two method calls and a defensive reader of incoming
// messages: every length is checked against the bytes at hand before it is used.
#include "dbus_wire.h"

namespace platform::dbus {

namespace {

size_t align(size_t n, size_t to) {
    return (n + to - 1) / to * to;
}

class Writer {
public:
    std::vector<uint8_t> bytes;

    void pad(size_t to) { bytes.resize(align(bytes.size(), to), 0); }
    void byte(uint8_t b) { bytes.push_back(b); }
    void u32(uint32_t v) {
        pad(4);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void put_u32_at(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void string(std::string_view s) {
        u32(static_cast<uint32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    void signature(std::string_view s) {
        byte(static_cast<uint8_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    // One header field: (code, variant of type `type`).
    void field(uint8_t code, char type, std::string_view value) {
        pad(8);
        byte(code);
        signature(std::string_view(&type, 1));
        if (type == 'g')
            signature(value);
        else
            string(value);
    }
};

class Reader {
public:
    Reader(const uint8_t* data, size_t end, bool little)
        : data_(data), end_(end), little_(little) {}

    size_t pos = 0;

    bool align_to(size_t to) {
        size_t next = align(pos, to);
        if (next > end_)
            return false;
        pos = next;
        return true;
    }
    bool byte(uint8_t& b) {
        if (pos >= end_)
            return false;
        b = data_[pos++];
        return true;
    }
    bool u32(uint32_t& v) {
        if (!align_to(4) || end_ - pos < 4)
            return false;
        v = little_ ? load(data_ + pos, 0, 1, 2, 3) : load(data_ + pos, 3, 2, 1, 0);
        pos += 4;
        return true;
    }
    // A string or object path: length, bytes, nul.
    bool string(std::string& s) {
        uint32_t n = 0;
        if (!u32(n) || n >= end_ - pos || data_[pos + n] != 0)
            return false;
        s.assign(reinterpret_cast<const char*>(data_ + pos), n);
        pos += n + 1;
        return true;
    }
    bool signature(std::string& s) {
        uint8_t n = 0;
        if (!byte(n) || n >= end_ - pos || data_[pos + n] != 0)
            return false;
        s.assign(reinterpret_cast<const char*>(data_ + pos), n);
        pos += n + 1;
        return true;
    }

private:
    static uint32_t load(const uint8_t* p, int a, int b, int c, int d) {
        return uint32_t{p[a]} | uint32_t{p[b]} << 8 | uint32_t{p[c]} << 16 | uint32_t{p[d]} << 24;
    }

    const uint8_t* data_;
    size_t end_;
    bool little_;
};

} // namespace

std::vector<uint8_t> method_call(uint32_t serial, std::string_view member,
                                 std::optional<std::string_view> argument) {
    Writer w;
    w.byte(kLittleEndian);
    w.byte(kMethodCall);
    w.byte(0); // flags: a reply is welcome, though never read
    w.byte(kProtocolVersion);
    w.u32(0); // body length, filled in below
    w.u32(serial);
    w.u32(0); // header-field array length, filled in below
    w.field(kFieldPath, 'o', kBusPath);
    w.field(kFieldInterface, 's', kBusName);
    w.field(kFieldMember, 's', member);
    w.field(kFieldDestination, 's', kBusName);
    if (argument)
        w.field(kFieldSignature, 'g', "s");
    w.put_u32_at(kFixedHeader, static_cast<uint32_t>(w.bytes.size() - kFieldsStart));
    w.pad(8);
    size_t body = w.bytes.size();
    if (argument)
        w.string(*argument);
    w.put_u32_at(4, static_cast<uint32_t>(w.bytes.size() - body));
    return w.bytes;
}

ParseResult parse_message(const uint8_t* data, size_t size, Message& out, size_t& used) {
    if (size < kFieldsStart)
        return ParseResult::incomplete;
    if (data[0] != kLittleEndian && data[0] != kBigEndian)
        return ParseResult::malformed;
    Reader head(data, kFieldsStart, data[0] == kLittleEndian);
    head.pos = 4;
    uint32_t body_length = 0, serial = 0, fields_length = 0;
    head.u32(body_length);
    head.u32(serial);
    head.u32(fields_length);
    if (data[3] != kProtocolVersion || serial == 0 || body_length > kMaxMessage ||
        fields_length > kMaxMessage)
        return ParseResult::malformed;
    size_t fields_end = kFieldsStart + fields_length;
    size_t total = align(fields_end, 8) + body_length;
    if (total > kMaxMessage)
        return ParseResult::malformed;
    if (size < total)
        return ParseResult::incomplete;

    out = Message{};
    out.type = data[1];
    Reader fields(data, fields_end, data[0] == kLittleEndian);
    fields.pos = kFieldsStart;
    while (fields.pos < fields_end) {
        uint8_t code = 0;
        std::string type, value;
        if (!fields.align_to(8) || !fields.byte(code) || !fields.signature(type) ||
            type.size() != 1)
            return ParseResult::malformed;
        bool ok = false;
        if (type == "s" || type == "o") {
            ok = fields.string(value);
        } else if (type == "g") {
            ok = fields.signature(value);
        } else if (type == "u") {
            uint32_t ignored = 0;
            ok = fields.u32(ignored);
        }
        // Every field the protocol defines has one of the types above.
        if (!ok)
            return ParseResult::malformed;
        if (code == kFieldInterface)
            out.interface = value;
        else if (code == kFieldMember)
            out.member = value;
        else if (code == kFieldSignature)
            out.signature = value;
    }

    if (out.signature == "b") {
        Reader body(data, total, data[0] == kLittleEndian);
        body.pos = align(fields_end, 8);
        uint32_t value = 0;
        if (!body.u32(value) || value > 1)
            return ParseResult::malformed;
        out.boolean = value != 0;
    }
    used = total;
    return ParseResult::complete;
}

} // namespace platform::dbus
