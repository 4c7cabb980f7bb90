// Dialog templates in both forms (DLGTEMPLATE and DLGTEMPLATEEX), read from the bytes of a
// RT_DIALOG resource. Texts are UTF-16 in the template and ANSI here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct DialogItemTemplate {
    DWORD help_id = 0;
    DWORD ex_style = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string class_name; // an ordinal class is given by its system name ("Button")
    std::string title;      // an ordinal title is written "#N"
    std::vector<BYTE> creation_data;
};

struct DialogTemplate {
    bool extended = false;
    DWORD help_id = 0;
    DWORD ex_style = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string class_name;
    std::string title;
    bool has_font = false;
    WORD point_size = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::string face;
    std::vector<DialogItemTemplate> items;
};

// Reads a template of at most `size` bytes; nothing when it is cut short or malformed.
std::optional<DialogTemplate> parse_dialog_template(const BYTE* data, size_t size);

// Dialog base units (average character width, character height) of a dialog font.
SIZE dialog_base_units(const DialogTemplate& tmpl);

} // namespace platform
