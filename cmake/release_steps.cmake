# What every Windows build does so that what it ships can be rebuilt to the same bytes and
# signed on top of them (the steps are cmake/package.py's):
#   build/<preset>/source_date_epoch  the commit's time (or SOURCE_DATE_EPOCH), the one time
#                                     written into the programs, the zip and the setup
#   build/<preset>/signing            the key named by TW_SIGN_PKCS12 and
#                                     TW_SIGN_PASSWORD_FILE, or "unsigned"
#   build/<preset>/unsigned/Tidewarden/  the programs as linked
#   dist/<preset>/Tidewarden/         the programs as shipped: copied, or signed with the key
# Both files are looked at in every build and rewritten only when they change, so a new commit
# or another key redoes what depends on them and nothing else.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(TW_PACKAGE_PY ${PROJECT_SOURCE_DIR}/cmake/package.py)
set(TW_PACKAGE ${Python3_EXECUTABLE} ${TW_PACKAGE_PY})
set(TW_EPOCH_FILE ${PROJECT_BINARY_DIR}/source_date_epoch)
set(TW_SIGN_STATE ${PROJECT_BINARY_DIR}/signing)
set(TW_UNSIGNED_FOLDER ${PROJECT_BINARY_DIR}/unsigned/Tidewarden)
set(TW_PROGRAM_FOLDER ${PROJECT_SOURCE_DIR}/dist/${TW_DIST_NAME}/Tidewarden)
set(TW_PROGRAM_FILES Tidewarden.exe Marrowgate.exe Scrubwright/Scrubwright.exe)
list(TRANSFORM TW_PROGRAM_FILES PREPEND ${TW_PROGRAM_FOLDER}/ OUTPUT_VARIABLE TW_SHIPPED_PROGRAMS)

add_custom_target(tw_source_date
  COMMAND ${TW_PACKAGE} epoch ${TW_EPOCH_FILE} ${PROJECT_SOURCE_DIR}
  BYPRODUCTS ${TW_EPOCH_FILE}
  COMMENT "The commit's time"
  VERBATIM)
add_custom_target(tw_signing
  COMMAND ${TW_PACKAGE} signing ${TW_SIGN_STATE} ${PROJECT_SOURCE_DIR}
  BYPRODUCTS ${TW_SIGN_STATE}
  COMMENT "The key given, if any"
  VERBATIM)

# Called once the three programs are defined.
function(tw_add_shipped_programs)
  add_custom_command(
    OUTPUT ${TW_SHIPPED_PROGRAMS}
    COMMAND ${TW_PACKAGE} programs ${TW_SIGN_STATE} ${TW_UNSIGNED_FOLDER} ${TW_PROGRAM_FOLDER}
      ${TW_PROGRAM_FILES}
    DEPENDS Tidewarden Marrowgate Scrubwright tw_signing ${TW_SIGN_STATE} ${TW_PACKAGE_PY}
      $<TARGET_FILE:Tidewarden> $<TARGET_FILE:Marrowgate> $<TARGET_FILE:Scrubwright>
    COMMENT "The programs as shipped, in ${TW_PROGRAM_FOLDER}"
    VERBATIM)
  add_custom_target(tw_shipped_programs ALL DEPENDS ${TW_SHIPPED_PROGRAMS})
endfunction()
