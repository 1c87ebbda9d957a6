# Writes the build-time settings into a generated header, the one place the code reads them from.
set(CORVANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

string(LENGTH "${CORVANE_LOGIN_HOST}" _login_len)
list(LENGTH CORVANE_WHITELIST _whitelist_len)
if(NOT _whitelist_len EQUAL 7)
    message(FATAL_ERROR "CORVANE_WHITELIST must hold exactly seven domains, it holds ${_whitelist_len}")
endif()

set(CORVANE_WHITELIST_INITIALIZER "")
foreach(domain IN LISTS CORVANE_WHITELIST)
    string(APPEND CORVANE_WHITELIST_INITIALIZER "    L\"${domain}\",\n")
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/corvane_config.h.in ${CORVANE_GENERATED_DIR}/corvane_config.h @ONLY)

file(GLOB CORVANE_RESOURCE_FILES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/png/*.png ${CMAKE_SOURCE_DIR}/resources/*.ico)
