// wsprintfA, the user32 formatter: integers, characters and strings only, no floating point,
// and an output of at most 1024 characters with the terminator.
#include <windows.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

constexpr size_t max_output = 1024; // terminator included

struct Spec {
    bool left = false;   // '-'
    bool zero = false;   // '0'
    bool prefix = false; // '#': 0x / 0X before hexadecimal numbers
    int width = 0;
    int precision = -1;
    char size = 0; // 'h', 'l' or 0
};

class Output {
public:
    explicit Output(char* buffer) : buffer_(buffer) {}
    void put(char c) {
        if (length_ < max_output - 1)
            buffer_[length_++] = c;
    }
    void put(const char* text, size_t count) {
        for (size_t i = 0; i < count; ++i)
            put(text[i]);
    }
    void pad(size_t count, char c) {
        for (size_t i = 0; i < count; ++i)
            put(c);
    }
    int finish() {
        buffer_[length_] = '\0';
        return static_cast<int>(length_);
    }

private:
    char* buffer_;
    size_t length_ = 0;
};

// A field of `body` characters, with `lead` (sign or 0x) before any zero padding.
void put_field(Output& out, const Spec& spec, const std::string& lead, const std::string& body) {
    size_t length = lead.size() + body.size();
    size_t fill =
        spec.width > 0 && static_cast<size_t>(spec.width) > length ? spec.width - length : 0;
    if (spec.left) {
        out.put(lead.data(), lead.size());
        out.put(body.data(), body.size());
        out.pad(fill, ' ');
    } else if (spec.zero) {
        out.put(lead.data(), lead.size());
        out.pad(fill, '0');
        out.put(body.data(), body.size());
    } else {
        out.pad(fill, ' ');
        out.put(lead.data(), lead.size());
        out.put(body.data(), body.size());
    }
}

std::string digits(uint32_t value, unsigned base, bool upper, int precision) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), set[value % base]);
        value /= base;
    } while (value != 0);
    if (precision >= 0 && text.size() < static_cast<size_t>(precision))
        text.insert(0, precision - text.size(), '0');
    return text;
}

// The Win32 program's int and long are both 32 bits, so every integer argument is read as
// one; 'h' narrows it to 16 bits.
void put_integer(Output& out, const Spec& spec, char type, va_list& args) {
    uint32_t raw = va_arg(args, unsigned int);
    if (spec.size == 'h')
        raw = type == 'd' || type == 'i' ? static_cast<uint32_t>(static_cast<int16_t>(raw))
                                         : raw & 0xFFFF;
    std::string lead;
    std::string body;
    if (type == 'd' || type == 'i') {
        int32_t value = static_cast<int32_t>(raw);
        uint32_t magnitude = value < 0 ? 0u - raw : raw;
        if (value < 0)
            lead = "-";
        body = digits(magnitude, 10, false, spec.precision);
    } else if (type == 'u') {
        body = digits(raw, 10, false, spec.precision);
    } else {
        bool upper = type == 'X';
        if (spec.prefix && raw != 0)
            lead = upper ? "0X" : "0x";
        body = digits(raw, 16, upper, spec.precision);
    }
    put_field(out, spec, lead, body);
}

int format(char* buffer, const char* fmt, va_list& args) {
    Output out(buffer);
    for (const char* p = fmt; *p != '\0'; ++p) {
        if (*p != '%') {
            out.put(*p);
            continue;
        }
        ++p;
        Spec spec;
        for (;; ++p) {
            if (*p == '-')
                spec.left = true;
            else if (*p == '0')
                spec.zero = true;
            else if (*p == '#')
                spec.prefix = true;
            else
                break;
        }
        for (; *p >= '0' && *p <= '9'; ++p)
            spec.width = spec.width < 10000 ? spec.width * 10 + (*p - '0') : spec.width;
        if (*p == '.') {
            spec.precision = 0;
            for (++p; *p >= '0' && *p <= '9'; ++p)
                spec.precision =
                    spec.precision < 10000 ? spec.precision * 10 + (*p - '0') : spec.precision;
        }
        if (*p == 'l' || *p == 'h')
            spec.size = *p++;
        switch (*p) {
        case '\0':
            return out.finish(); // a lone '%' at the end prints nothing
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
            put_integer(out, spec, *p, args);
            break;
        case 'c':
        case 'C': {
            char c = static_cast<char>(va_arg(args, int));
            Spec plain = spec; // characters and strings are padded with blanks only
            plain.zero = false;
            put_field(out, plain, "", std::string(1, c));
            break;
        }
        case 's':
        case 'S': {
            const char* text = va_arg(args, const char*);
            if (text == nullptr)
                text = "(null)";
            size_t length = spec.precision >= 0 ? strnlen(text, spec.precision) : std::strlen(text);
            Spec plain = spec;
            plain.zero = false;
            put_field(out, plain, "", std::string(text, length));
            break;
        }
        default:
            // Any other character stands for itself: "%%" gives '%', and "%\" gives '\'.
            out.put(*p);
            break;
        }
    }
    return out.finish();
}

} // namespace

int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    if (lpOut == nullptr)
        return 0;
    if (lpFmt == nullptr) {
        lpOut[0] = '\0';
        return 0;
    }
    va_list args;
    va_start(args, lpFmt);
    int length = format(lpOut, lpFmt, args);
    va_end(args);
    return length;
}
