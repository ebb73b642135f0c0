# Delay-loaded system DLLs: the shell, COM, Active Accessibility, the glyph's blitter and the
# desktop window manager are loaded the first time the program calls them (a launch, the
# shortcut, a screen reader's first request, the About box, the taskbar's picture), not with the
# program itself.
# Each .def file in cmake/delayload lists the functions the program takes from that DLL.
find_program(MORVA_DLLTOOL NAMES ${MINGW_PREFIX}-dlltool dlltool REQUIRED)

function(morva_delay_load_library name)
    set(def ${PROJECT_SOURCE_DIR}/cmake/delayload/${name}.def)
    set(library ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
        COMMAND ${MORVA_DLLTOOL} --input-def ${def} --output-delaylib ${library}
        DEPENDS ${def} VERBATIM)
    add_custom_target(${name}_delay DEPENDS ${library})
    add_library(morva_delay_${name} INTERFACE)
    add_dependencies(morva_delay_${name} ${name}_delay)
    target_link_libraries(morva_delay_${name} INTERFACE ${library} delayimp)
endfunction()

foreach(name shell32 ole32 oleaut32 oleacc msimg32 dwmapi)
    morva_delay_load_library(${name})
endforeach()
