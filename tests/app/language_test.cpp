// The language library: which one LANG.INI beside the program chooses for the machine's
// language, and what its strings change.
#include "tests/support/program_fixture.h"

#include "platform/kernel/machine.h"
#include "platform/kernel/paths.h"

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const char kGermanIni[] = "[LANGID]\n0X0407=German.dll\n";

class Language : public testing_support::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        cwd_ = fs::current_path();
        program_dir_ = root() / "Program Files" / "Radiodeck";
        fs::create_directories(program_dir_);
        platform::set_program_file(program_dir_ / "radiodeck");
    }
    void TearDown() override {
        platform::set_program_file({});
        fs::current_path(cwd_);
        ProgramFixture::TearDown();
    }
    static void set_language(const char* langid) {
        ASSERT_TRUE(platform::set_machine_setting("machine", "langid", langid));
    }
    // Puts a library beside the program under this name: one of the program's own
    // languages or one that only tests have.
    void install(const char* source, const std::string& as) {
        fs::path from = fs::path(PROGRAM_LANGUAGES) / source;
        if (!fs::exists(from))
            from = fs::path(TEST_LANGUAGES) / source;
        fs::copy_file(from, program_dir_ / as);
    }
    void write_ini(const std::string& text) {
        write_file(fs::relative(program_dir_ / "LANG.INI", root()).string(), text);
    }
    std::string label(int id) {
        char text[300] = "";
        ::GetWindowTextA(::GetDlgItem(dlg().m_hWnd, id), text, sizeof text);
        return text;
    }
    // Apply with no radio selected behind a hardware switch: the refusal and its message.
    int refuse_empty_selection() {
        dlg().ProbeCapabilities();
        dlg().m_btnWlan.SetCheck(0, 0);
        dlg().m_btnBluetooth.SetCheck(0, 0);
        return dlg().ApplySelection();
    }

    fs::path cwd_;
    fs::path program_dir_;
};

TEST_F(Language, TheMachinesLanguageChoosesTheLibraryBesideTheProgram) {
    start({true, true, true});
    set_language("0x0407");
    write_ini(kGermanIni);
    install("German.dll", "German.dll");
    install("Verovod.dll", "Verovod.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_NE(g_hLangLib, nullptr);
    EXPECT_EQ(label(IDC_WLAN), "WLAN");
    EXPECT_EQ(label(IDC_BLUETOOTH), "Bluetooth");
    EXPECT_EQ(label(IDC_DISPLAY), "Dialog zeigen, wenn Schalter EIN");
    EXPECT_EQ(fs::current_path(), program_dir_);
    // The library's message, in the ANSI code page.
    ui.answer(IDOK);
    EXPECT_EQ(refuse_empty_selection(), 0);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Bitte w\xE4hlen Sie eine Funkverbindung aus");
    EXPECT_EQ(ui.boxes_seen()[0].caption, "Radiodeck");
}

// Verovod is the default; here it is given German texts to tell it apart from the template.
TEST_F(Language, WithoutAnEntryTheDefaultLibraryIsTaken) {
    const char* inis[] = {
        nullptr,                         // no LANG.INI
        "[OTHER]\n0X0407=German.dll\n",  // no [LANGID] section
        "[langid]\n0X0409=German.dll\n", // no key for this language
        "[LANGID]\n0x0407=Error\n",      // the default text itself
    };
    for (const char* ini : inis) {
        SCOPED_TRACE(ini ? ini : "no LANG.INI");
        start({true, true, true});
        set_language("0x0407");
        if (ini)
            write_ini(ini);
        install("German.dll", "Verovod.dll");
        dlg().LoadLanguageLibrary();
        EXPECT_NE(g_hLangLib, nullptr);
        EXPECT_EQ(label(IDC_WLAN), "WLAN");
        TearDown();
        SetUp();
    }
}

TEST_F(Language, TheDefaultTextInOtherCaseNamesALibraryOfItsOwn) {
    start({true, true, true});
    set_language("0x0407");
    write_ini("[LANGID]\n0X0407=error\n");
    install("German.dll", "Verovod.dll");
    install("partial.dll", "error.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_EQ(label(IDC_WLAN), "Partial WLAN");
}

TEST_F(Language, AMissingLibraryLeavesTheTemplateAndTheBuiltInMessage) {
    start({true, true, true});
    set_language("0x0407");
    write_ini("[LANGID]\n0X0407=Klingon.dll\n");
    install("German.dll", "Verovod.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_EQ(g_hLangLib, nullptr);
    EXPECT_EQ(label(IDC_WLAN), "Wireless Lan");
    EXPECT_EQ(label(IDC_BLUETOOTH), "Bluetooth     ");
    ui.answer(IDOK);
    EXPECT_EQ(refuse_empty_selection(), 0);
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Please select a wireless function");
}

TEST_F(Language, MissingStringsKeepTheirLabelAndSilenceTheRefusal) {
    start({true, true, true});
    write_ini("[LANGID]\n0X0409=partial\n"); // the loader adds ".dll"
    install("partial.dll", "partial.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_EQ(label(IDC_WLAN), "Partial WLAN");
    EXPECT_EQ(label(IDC_BLUETOOTH), "Bluetooth     ");
    EXPECT_EQ(label(IDC_DISPLAY), "Partial display option");
    EXPECT_EQ(refuse_empty_selection(), 0);
    EXPECT_TRUE(ui.boxes_seen().empty());
}

TEST_F(Language, ALongLabelIsCutTo255Characters) {
    start({true, true, true});
    write_ini("[LANGID]\n0X0409=long.dll\n");
    install("long.dll", "long.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_EQ(label(IDC_WLAN), std::string(250, 'L') + "01234");
    ui.answer(IDOK);
    refuse_empty_selection();
    ASSERT_EQ(ui.boxes_seen().size(), 1u);
    EXPECT_EQ(ui.boxes_seen()[0].text, "Choose a radio first");
}

// A path that does not fit the 128-byte buffer would name some other folder: no INI is
// read and the current directory stays; the default library is still found beside the
// program.
TEST_F(Language, AProgramPathTooLongForItsBufferReadsNoIni) {
    start({true, true, true});
    program_dir_ = root() / std::string(60, 'a') / std::string(60, 'b');
    fs::create_directories(program_dir_);
    platform::set_program_file(program_dir_ / "radiodeck");
    set_language("0x0407");
    write_ini(kGermanIni);
    install("German.dll", "German.dll");
    install("partial.dll", "Verovod.dll");
    dlg().LoadLanguageLibrary();
    EXPECT_EQ(label(IDC_WLAN), "Partial WLAN");
    EXPECT_EQ(fs::current_path(), cwd_);
}

} // namespace
