# Resource scripts are compiled by a real resource compiler into the 32-bit .res format.
find_program(RADIODECK_WINDRES NAMES llvm-windres llvm-windres-14 llvm-windres-15 llvm-windres-16
             x86_64-w64-mingw32-windres REQUIRED)

# Compiles a resource script into a .res file (absolute, or relative to the current binary
# directory). Pictures named in the script are looked up beside it and in INCLUDES. Scripts
# are UTF-8; their strings are stored as UTF-16, as every .res holds them.
#   radiodeck_compile_resources(NAME out.res RC file.rc [TARGET name] [INCLUDES dirs...]
#                               [DEPENDS files...])
# A custom target (TARGET, else <out name>_res) builds it with `all`.
function(radiodeck_compile_resources)
    cmake_parse_arguments(R "" "NAME;RC;TARGET" "INCLUDES;DEPENDS" ${ARGN})
    if(NOT R_NAME OR NOT R_RC)
        message(FATAL_ERROR "radiodeck_compile_resources needs NAME and RC")
    endif()
    get_filename_component(rc "${R_RC}" ABSOLUTE)
    get_filename_component(out "${R_NAME}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(rc_dir "${rc}" DIRECTORY)
    set(include_args "-I${rc_dir}")
    foreach(dir IN LISTS R_INCLUDES)
        get_filename_component(dir "${dir}" ABSOLUTE)
        list(APPEND include_args "-I${dir}")
    endforeach()
    get_filename_component(out_dir "${out}" DIRECTORY)
    add_custom_command(
        OUTPUT "${out}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
        COMMAND ${RADIODECK_WINDRES} --codepage=65001 ${include_args} "${rc}" -O res -o "${out}"
        WORKING_DIRECTORY "${rc_dir}"
        DEPENDS "${rc}" ${R_DEPENDS}
        COMMENT "Compiling resources ${R_RC}"
        VERBATIM)
    if(R_TARGET)
        set(target_name ${R_TARGET})
    else()
        get_filename_component(base "${out}" NAME)
        string(MAKE_C_IDENTIFIER "${base}_res" target_name)
    endif()
    if(NOT TARGET ${target_name})
        add_custom_target(${target_name} ALL DEPENDS "${out}")
    endif()
endfunction()

# Compiles a resource script and embeds the result into an executable as its own module's
# resources (GetModuleHandleA(NULL)). The registration is compiled into the executable
# itself, so the static-library linker cannot drop it.
#   radiodeck_add_resources(TARGET target RC file.rc [INCLUDES dirs...] [DEPENDS files...])
function(radiodeck_add_resources)
    cmake_parse_arguments(R "" "TARGET;RC" "INCLUDES;DEPENDS" ${ARGN})
    if(NOT R_TARGET OR NOT R_RC)
        message(FATAL_ERROR "radiodeck_add_resources needs TARGET and RC")
    endif()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/${R_TARGET}_resources")
    set(res "${dir}/${R_TARGET}.res")
    radiodeck_compile_resources(NAME "${res}" RC "${R_RC}" TARGET ${R_TARGET}_res
                                INCLUDES ${R_INCLUDES} DEPENDS ${R_DEPENDS})
    string(MAKE_C_IDENTIFIER "radiodeck_res_${R_TARGET}" symbol)
    file(WRITE "${dir}/embed.S.in"
        "    .section .rodata.${symbol},\"a\",@progbits\n"
        "    .balign 16\n"
        "    .globl ${symbol}_begin\n"
        "${symbol}_begin:\n"
        "    .incbin \"@RES@\"\n"
        "    .globl ${symbol}_end\n"
        "${symbol}_end:\n"
        "    .byte 0\n"
        "    .section .note.GNU-stack,\"\",@progbits\n")
    set(RES "${res}")
    configure_file("${dir}/embed.S.in" "${dir}/embed.S" @ONLY)
    file(WRITE "${dir}/register.cpp.in"
        "// Generated: registers the embedded .res as the program's own resources.\n"
        "#include \"platform/kernel/module.h\"\n\n"
        "extern \"C\" const unsigned char ${symbol}_begin[];\n"
        "extern \"C\" const unsigned char ${symbol}_end[];\n\n"
        "namespace {\n"
        "struct Registration {\n"
        "    Registration() {\n"
        "        platform::register_main_module_resources(\n"
        "            ${symbol}_begin, static_cast<size_t>(${symbol}_end - ${symbol}_begin));\n"
        "    }\n"
        "} registration;\n"
        "} // namespace\n")
    configure_file("${dir}/register.cpp.in" "${dir}/register.cpp" COPYONLY)
    set_source_files_properties("${dir}/embed.S" PROPERTIES OBJECT_DEPENDS "${res}")
    target_sources(${R_TARGET} PRIVATE "${dir}/embed.S" "${dir}/register.cpp")
    add_dependencies(${R_TARGET} ${R_TARGET}_res)
endfunction()
