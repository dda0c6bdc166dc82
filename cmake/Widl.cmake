# quillet_widl(NAME IDL [TLB FILE] [TIME SECONDS] [DEPENDS other.tlb ...])
# Compiles an IDL file with widl into ${QUILLET_IDL_DIR}: NAME.h (the C and
# C++ declarations), NAME_i.c (the identifiers) and the type library, NAME.tlb
# unless TLB names the file. Other type libraries that it imports are looked
# up there too; a header that it #includes is named from the project's root.
# A type library records the time it was made: TIME, in seconds since 1970,
# or else 0, so that it is the same in every build.
set(QUILLET_IDL_DIR ${CMAKE_BINARY_DIR}/idl)
file(MAKE_DIRECTORY ${QUILLET_IDL_DIR})
find_path(QUILLET_WINE_IDL oaidl.idl PATHS /usr/include/wine/wine/windows NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Type libraries describe the pointer size of the Windows they are for
# (SYS_WIN32 or SYS_WIN64, cmake/WindowsTarget.cmake); stdole2.tlb comes from
# Wine of the same size.
set(QUILLET_WIDL_TARGET --${QUILLET_WINDOWS})
if(QUILLET_BITS EQUAL 64)
  set(QUILLET_WINE_LIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  set(QUILLET_WINE_LIBS /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
find_path(QUILLET_STDOLE2 stdole2.tlb PATHS ${QUILLET_WINE_LIBS} NO_CMAKE_FIND_ROOT_PATH NO_CACHE REQUIRED)

function(quillet_widl name idl)
  cmake_parse_arguments(ARG "" "TLB;TIME" "DEPENDS" ${ARGN})
  set(out ${QUILLET_IDL_DIR}/${name})
  set(tlb ${out}.tlb)
  if(ARG_TLB)
    set(tlb ${QUILLET_IDL_DIR}/${ARG_TLB})
  endif()
  set(time 0)
  if(ARG_TIME)
    set(time ${ARG_TIME})
  endif()
  set(widl ${QUILLET_WIDL} ${QUILLET_WIDL_TARGET} -I${QUILLET_WINE_IDL} -I${PROJECT_SOURCE_DIR}/host/com
           -I${PROJECT_SOURCE_DIR} -L${QUILLET_STDOLE2} -L${QUILLET_IDL_DIR})
  # The headers that the IDL includes are inputs too.
  file(STRINGS ${idl} includes REGEX "^#include \"")
  list(TRANSFORM includes REPLACE "^#include \"([^\"]+)\".*" "${PROJECT_SOURCE_DIR}/\\1")
  add_custom_command(
    OUTPUT ${out}.h ${out}_i.c
    COMMAND ${widl} -h -H ${out}.h -u -U ${out}_i.c ${idl}
    DEPENDS ${idl} ${includes} ${ARG_DEPENDS}
    COMMENT "Compiling ${name}.idl"
    VERBATIM)
  # The type library on its own, so that a new TIME does not make everything
  # that includes the header compile again. widl writes the time in words of
  # the local time zone too.
  add_custom_command(
    OUTPUT ${tlb}
    COMMAND ${CMAKE_COMMAND} -E env WIDL_TIME_OVERRIDE=${time} TZ=UTC
            ${widl} -t -T ${tlb} ${idl}
    DEPENDS ${idl} ${includes} ${ARG_DEPENDS}
    COMMENT "Compiling ${name}.idl into its type library"
    VERBATIM)
endfunction()
