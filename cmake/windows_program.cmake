# tw_add_windows_program(<target> OUTPUT_NAME <name> DIST_SUBDIR <dir> RC <file.rc>
#                        SOURCES <...> [CONSOLE])
# A statically linked Windows program with its icon, version resource and manifest, linked into
# build/<preset>/unsigned/Tidewarden/<DIST_SUBDIR>; tw_add_shipped_programs puts it in the
# program folder dist/<preset>/Tidewarden/<DIST_SUBDIR>.
configure_file(${PROJECT_SOURCE_DIR}/cmake/tw_version.h.in
               ${PROJECT_BINARY_DIR}/generated/tw_version.h @ONLY)

function(tw_add_windows_program target)
  cmake_parse_arguments(P "CONSOLE" "OUTPUT_NAME;DIST_SUBDIR;RC" "SOURCES" ${ARGN})
  set(TW_MANIFEST_NAME "Tidewarden.${P_OUTPUT_NAME}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/app.manifest.in
                 ${PROJECT_BINARY_DIR}/generated/${P_OUTPUT_NAME}.manifest @ONLY)
  add_executable(${target} ${P_SOURCES} ${P_RC})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${P_OUTPUT_NAME}
    RUNTIME_OUTPUT_DIRECTORY ${TW_UNSIGNED_FOLDER}/${P_DIST_SUBDIR}
    # The commit's time in the PE header, and a new link when it changes.
    CXX_LINKER_LAUNCHER "${TW_PACKAGE};link;${TW_EPOCH_FILE}"
    LINK_DEPENDS ${TW_EPOCH_FILE})
  add_dependencies(${target} tw_source_date)
  target_include_directories(${target} PRIVATE
    ${PROJECT_BINARY_DIR}/generated ${PROJECT_SOURCE_DIR}/resources)
  target_compile_definitions(${target} PRIVATE
    UNICODE _UNICODE TW_MANIFEST_FILE="${P_OUTPUT_NAME}.manifest")
  target_link_options(${target} PRIVATE
    -municode -static -static-libgcc -static-libstdc++
    -Wl,--dynamicbase -Wl,--nxcompat $<$<CONFIG:Release>:-s>)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    target_link_options(${target} PRIVATE -Wl,--high-entropy-va)
  endif()
  if(NOT P_CONSOLE)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
  target_link_libraries(${target} PRIVATE tw_warnings)
endfunction()
