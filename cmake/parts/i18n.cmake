# Translation catalogues: data/i18n/*.json become the i18n_data unit of vantrel_core at build time.
# The generator refuses catalogues with missing or extra keys or changed placeholders, which
# fails the build with the file and key named.
set(VANTREL_I18N_DIR ${CMAKE_SOURCE_DIR}/data/i18n)
set(VANTREL_I18N_DATA ${CMAKE_BINARY_DIR}/generated/i18n/i18n_data.cpp)
file(GLOB VANTREL_I18N_FILES CONFIGURE_DEPENDS ${VANTREL_I18N_DIR}/*.json)

add_custom_command(
  OUTPUT ${VANTREL_I18N_DATA}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated/i18n
  COMMAND i18ngen ${VANTREL_I18N_DIR} ${VANTREL_I18N_DATA}
  DEPENDS i18ngen ${VANTREL_I18N_FILES}
  COMMENT "Checking translations and generating i18n_data.cpp"
  VERBATIM)
target_sources(vantrel_core PRIVATE ${VANTREL_I18N_DATA})

# The tests run the generator on broken catalogues; the test target exists only later.
function(vantrel_i18n_wire_tests)
  if(TARGET vantrel_tests)
    target_compile_definitions(vantrel_tests PRIVATE
      VANTREL_I18NGEN="$<TARGET_FILE:i18ngen>" VANTREL_I18N_DIR="${VANTREL_I18N_DIR}")
    add_dependencies(vantrel_tests i18ngen)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vantrel_i18n_wire_tests)
