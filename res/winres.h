// The Windows constants that the resource scripts use. The scripts are compiled without the
// platform's C++ headers, so the values are repeated here exactly as Win32 defines them.
#pragma once

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_APPWINDOW 0x00040000L
#define DS_SETFONT 0x40L
#define BS_CHECKBOX 0x00000002L
#define BS_OWNERDRAW 0x0000000BL

#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VOS_NT_WINDOWS32 0x00040004L
#define VFT_APP 0x00000001L
#define VFT_DLL 0x00000002L
#define VFT2_UNKNOWN 0x00000000L

#define IDOK 1
#define IDCANCEL 2

#define LANG_ENGLISH 0x09
#define SUBLANG_ENGLISH_US 0x01
#define LANG_GERMAN 0x07
#define SUBLANG_GERMAN 0x01
#define LANG_FRENCH 0x0c
#define SUBLANG_FRENCH 0x01
#define LANG_SPANISH 0x0a
#define SUBLANG_SPANISH_MODERN 0x03
