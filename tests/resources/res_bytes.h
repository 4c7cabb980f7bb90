// Builds .res files byte by byte, for tests that need files the resource compiler would never
// write.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace res_bytes {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void pad4(Bytes& b) {
    while (b.size() % 4)
        b.push_back(0);
}

// An id as the header stores it: "#n" is an ordinal, anything else a string.
inline void put_id(Bytes& b, const std::string& id) {
    if (!id.empty() && id[0] == '#') {
        put16(b, 0xFFFF);
        put16(b, static_cast<unsigned>(std::stoul(id.substr(1))));
        return;
    }
    for (char c : id)
        put16(b, static_cast<unsigned char>(c));
    put16(b, 0);
}

inline Bytes record(const std::string& type, const std::string& name, const Bytes& data,
                    uint16_t language = 0x409) {
    Bytes ids;
    put_id(ids, type);
    put_id(ids, name);
    pad4(ids);
    Bytes b;
    put32(b, static_cast<uint32_t>(data.size()));
    put32(b, static_cast<uint32_t>(8 + ids.size() + 16));
    b.insert(b.end(), ids.begin(), ids.end());
    put32(b, 0);        // DataVersion
    put16(b, 0x30);     // MemoryFlags
    put16(b, language); // LanguageId
    put32(b, 0);        // Version
    put32(b, 0);        // Characteristics
    b.insert(b.end(), data.begin(), data.end());
    pad4(b);
    return b;
}

inline Bytes empty_record() {
    return record("#0", "#0", {}, 0);
}

inline Bytes file_bytes(const std::vector<Bytes>& records) {
    Bytes out = empty_record();
    for (const Bytes& r : records)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

inline Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace res_bytes
