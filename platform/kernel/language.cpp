#include "language.h"
#include "machine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

// Language and territory as locale names spell them; an empty territory is the language's
// main Windows language, used for a territory the table does not list.
struct LocaleLanguage {
    const char* language;
    const char* territory;
    LANGID langid;
};

constexpr LocaleLanguage kLanguages[] = {
    {"ar", "", 0x0401},   {"bg", "", 0x0402},   {"ca", "", 0x0403},   {"zh", "", 0x0804},
    {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004}, {"cs", "", 0x0405},
    {"da", "", 0x0406},   {"de", "", 0x0407},   {"de", "CH", 0x0807}, {"de", "AT", 0x0C07},
    {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"el", "", 0x0408},   {"en", "", 0x0409},
    {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009}, {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "IN", 0x4009}, {"es", "", 0x0C0A},
    {"es", "MX", 0x080A}, {"es", "AR", 0x2C0A}, {"es", "CL", 0x340A}, {"es", "CO", 0x240A},
    {"es", "US", 0x540A}, {"fi", "", 0x040B},   {"fr", "", 0x040C},   {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C}, {"he", "", 0x040D},
    {"hu", "", 0x040E},   {"is", "", 0x040F},   {"it", "", 0x0410},   {"it", "CH", 0x0810},
    {"ja", "", 0x0411},   {"ko", "", 0x0412},   {"nl", "", 0x0413},   {"nl", "BE", 0x0813},
    {"nb", "", 0x0414},   {"no", "", 0x0414},   {"nn", "", 0x0814},   {"pl", "", 0x0415},
    {"pt", "", 0x0816},   {"pt", "BR", 0x0416}, {"ro", "", 0x0418},   {"ru", "", 0x0419},
    {"hr", "", 0x041A},   {"sk", "", 0x041B},   {"sv", "", 0x041D},   {"sv", "FI", 0x081D},
    {"th", "", 0x041E},   {"tr", "", 0x041F},   {"uk", "", 0x0422},   {"sl", "", 0x0424},
    {"et", "", 0x0425},   {"lv", "", 0x0426},   {"lt", "", 0x0427},   {"vi", "", 0x042A},
};

constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

bool same_word(std::string_view a, const char* b) {
    return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                      [](char x, char y) {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

} // namespace

LANGID langid_of_locale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    size_t underscore = locale.find('_');
    std::string_view language = locale.substr(0, underscore);
    std::string_view territory =
        underscore == std::string_view::npos ? std::string_view() : locale.substr(underscore + 1);
    std::optional<LANGID> main;
    for (const LocaleLanguage& entry : kLanguages) {
        if (!same_word(language, entry.language))
            continue;
        if (!*entry.territory)
            main = entry.langid;
        else if (same_word(territory, entry.territory))
            return entry.langid;
    }
    return main.value_or(kEnglishUs); // "C" and "POSIX" are no language of the table
}

std::string host_locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

std::optional<LANGID> machine_langid() {
    std::string text = machine_setting("machine", "langid", "");
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (end == text.c_str() || *end != '\0' || value == 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<LANGID>(value);
}

} // namespace platform
