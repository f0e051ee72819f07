# qv_add_archiver_library(NAME <library> SOURCES ... [LINKS ...] [TARGET <target>]
#                         [OUTPUT_DIRECTORY <dir>] [NO_INSTALL])
# One archiver library the control binds by name: lib<NAME>.so in OUTPUT_DIRECTORY (default
# the build's lib/, beside libquorvex6), exporting exactly the entry points that
# backends/common/entry_points.h gives NAME and hiding everything else, with a run path of its
# own folder. TARGET defaults to NAME; the test fakes build under every name with targets of
# their own and are not installed.
include(${CMAKE_CURRENT_LIST_DIR}/FuzzCoverage.cmake)

# Every library the control binds, by name.
set(QV_ARCHIVER_LIBRARIES unlha32 unzip32 zip32j cab32 unarj32j ish32 tar32 unrar32)

set(QV_EXPORT_LIST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/exports.map.in)

function(qv_add_archiver_library)
  cmake_parse_arguments(ARG "NO_INSTALL" "NAME;TARGET;OUTPUT_DIRECTORY" "SOURCES;LINKS" ${ARGN})
  if(NOT ARG_NAME OR NOT ARG_SOURCES)
    message(FATAL_ERROR "qv_add_archiver_library needs NAME and SOURCES")
  endif()
  set(target ${ARG_NAME})
  if(ARG_TARGET)
    set(target ${ARG_TARGET})
  endif()
  set(output_dir ${CMAKE_BINARY_DIR}/lib)
  if(ARG_OUTPUT_DIRECTORY)
    set(output_dir ${ARG_OUTPUT_DIRECTORY})
  endif()

  # The linker's export list, made by the preprocessor from the one definition of the sets.
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  add_custom_command(OUTPUT ${map}
    COMMAND ${CMAKE_C_COMPILER} -E -P -x c -std=c11 -I${PROJECT_SOURCE_DIR}/backends
      -DQV_LIBRARY=${ARG_NAME} ${QV_EXPORT_LIST_TEMPLATE} -o ${map}
    DEPENDS ${QV_EXPORT_LIST_TEMPLATE} ${PROJECT_SOURCE_DIR}/backends/common/entry_points.h
    COMMENT "Export list of ${ARG_NAME}"
    VERBATIM)

  add_library(${target} SHARED ${ARG_SOURCES} ${map})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/backends
    ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${target} PRIVATE ${ARG_LINKS})
  target_link_options(${target} PRIVATE "LINKER:--version-script=${map}"
    # A run path, not an rpath: LD_LIBRARY_PATH still comes first.
    "LINKER:--enable-new-dtags")
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${ARG_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${output_dir}
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${map}
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "\$ORIGIN")
  qv_fuzz_coverage(${target})
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endfunction()
