#include "platform/kernel/res_file.h"
#include "res_bytes.h"

#include <gtest/gtest.h>

using platform::ResFile;
using platform::ResId;
using namespace res_bytes;

namespace {

std::optional<ResFile> parse(const Bytes& b) {
    return ResFile::parse({b.data(), b.size()});
}

ResId ordinal(uint16_t n) {
    return ResId::from_ordinal(n);
}
ResId text(const std::u16string& s) {
    return ResId::from_text(s);
}

Bytes bytes_of(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

} // namespace

TEST(ResFile, IndexesWhatTheResourceCompilerWrote) {
    Bytes bytes = read_file(TEST_LIBRARY_RES);
    auto file = parse(bytes);
    ASSERT_TRUE(file);
    // Dialog, menu, 2 string blocks, 6 icon images in 4 groups, 3 bitmaps, rcdata, version.
    EXPECT_EQ(file->entries().size(), 19u);
    const auto* dialog = file->find(ordinal(5), ordinal(102), 0);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->language, 0x409);
    for (const auto& e : file->entries()) {
        EXPECT_GE(e.data.data(), bytes.data());
        EXPECT_LE(e.data.data() + e.data.size(), bytes.data() + bytes.size());
    }
}

TEST(ResFile, FindsByNameWithoutCaseAndPrefersTheLanguageAsked) {
    // The index points into the bytes, which must outlive it.
    const Bytes bytes = file_bytes({record("#10", "Config", bytes_of("any"), 0x407),
                                    record("#10", "config", bytes_of("neutral"), 0x000),
                                    record("#10", "CONFIG", bytes_of("us"), 0x409),
                                    record("#10", "#7", bytes_of("seven"), 0x407)});
    auto file = parse(bytes);
    ASSERT_TRUE(file);
    auto data = [&](const ResId& name, uint16_t lang) {
        const auto* e = file->find(ordinal(10), name, lang);
        return e ? std::string(e->data.begin(), e->data.end()) : std::string("<none>");
    };
    EXPECT_EQ(data(text(u"cOnFiG"), 0x409), "us");
    EXPECT_EQ(data(text(u"config"), 0x40C), "neutral");
    EXPECT_EQ(data(ordinal(7), 0x409), "seven");   // only one language: take it
    EXPECT_EQ(data(text(u"#7"), 0x409), "<none>"); // a string is not an ordinal

    ResFile::Lookup why;
    EXPECT_FALSE(file->find(ordinal(11), ordinal(7), 0, &why));
    EXPECT_EQ(why, ResFile::Lookup::no_type);
    EXPECT_FALSE(file->find(ordinal(10), ordinal(8), 0, &why));
    EXPECT_EQ(why, ResFile::Lookup::no_name);
}

TEST(ResFile, AcceptsAMissingFinalPadding) {
    Bytes b = file_bytes({record("#10", "#1", bytes_of("abc"))});
    b.pop_back(); // "abc" padded to 4
    auto file = parse(b);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->entries().at(0).data.size(), 3u);
}

TEST(ResFile, RefusesFilesThatAreNotResources) {
    EXPECT_FALSE(parse({}));
    EXPECT_FALSE(parse(bytes_of("MZ\x90\0 this is a program, not a resource file...")));
    // The leading empty record is what marks a .res file.
    EXPECT_FALSE(parse(record("#10", "#1", bytes_of("abc"))));
    Bytes not_empty = record("#0", "#0", bytes_of("xxxx"), 0);
    EXPECT_FALSE(parse(not_empty));
}

TEST(ResFile, RefusesFilesThatLieAboutTheirLengths) {
    const Bytes good = file_bytes({record("#10", "NAME", bytes_of("payload!"))});
    ASSERT_TRUE(parse(good));
    const size_t second = 32; // offset of the second record

    // Truncated anywhere inside the second record's header or data.
    for (size_t cut = second + 1; cut < good.size() - 1; ++cut) {
        Bytes b(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(parse(b)) << "cut at " << cut;
    }

    Bytes data_past_end = good;
    data_past_end[second] = 0xFF; // DataSize
    EXPECT_FALSE(parse(data_past_end));

    Bytes huge_data = good;
    huge_data[second + 3] = 0xFF; // DataSize near 4 GiB must not wrap around
    EXPECT_FALSE(parse(huge_data));

    Bytes header_past_end = good;
    header_past_end[second + 4] = 0xF0; // HeaderSize
    EXPECT_FALSE(parse(header_past_end));

    // HeaderSize smaller than the fixed part that follows the names.
    Bytes short_header = good;
    short_header[second + 4] = 24;
    EXPECT_FALSE(parse(short_header));

    // A string name with no terminator inside the header.
    Bytes unterminated;
    put32(unterminated, 0);
    put32(unterminated, 32);
    put16(unterminated, 0xFFFF);
    put16(unterminated, 10);
    for (int i = 0; i < 10; ++i)
        put16(unterminated, 'A');
    Bytes b = empty_record();
    b.insert(b.end(), unterminated.begin(), unterminated.end());
    EXPECT_FALSE(parse(b));
}
