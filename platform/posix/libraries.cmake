# Two parts of the Linux layer call a library of their own: HTTP
# (http_posix.cc, libcurl) and the installer's signature check
# (installer_check_posix.cc, libcrypto).  A program whose code makes no
# call of a part links the part's *_absent_posix.cc instead, whose calls
# fail, and so never loads that library at its start: norvik posts
# through the curl program, not through libcurl; only update checks an
# installer.  The parts are object libraries, so a program's link holds
# exactly the one it names.
find_package(Threads REQUIRED)
find_package(CURL REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

set(posix_dir ${CMAKE_CURRENT_SOURCE_DIR}/posix)
list(REMOVE_ITEM backend_sources
     ${posix_dir}/http_posix.cc ${posix_dir}/http_absent_posix.cc
     ${posix_dir}/installer_check_posix.cc
     ${posix_dir}/installer_check_absent_posix.cc)
list(REMOVE_ITEM backend_sources ${posix_dir}/gbk_table_gen.cc)
include(${posix_dir}/gbk_table.cmake)
add_library(bramo_platform_objects OBJECT ${backend_sources})
bramo_gbk_table(bramo_platform_objects)
target_link_libraries(bramo_platform_objects PUBLIC bramo_platform_common
                      Threads::Threads)

add_library(bramo_platform_http OBJECT ${posix_dir}/http_posix.cc)
target_link_libraries(bramo_platform_http PUBLIC CURL::libcurl)
add_library(bramo_platform_no_http OBJECT ${posix_dir}/http_absent_posix.cc)
add_library(bramo_platform_installer_check OBJECT
            ${posix_dir}/installer_check_posix.cc)
target_link_libraries(bramo_platform_installer_check PUBLIC OpenSSL::Crypto)
add_library(bramo_platform_no_installer_check OBJECT
            ${posix_dir}/installer_check_absent_posix.cc)

add_library(bramo_platform_core STATIC
            $<TARGET_OBJECTS:bramo_platform_objects>)
target_link_libraries(bramo_platform_core PUBLIC bramo_platform_common
                      Threads::Threads)

add_library(bramo_platform STATIC
            $<TARGET_OBJECTS:bramo_platform_objects>
            $<TARGET_OBJECTS:bramo_platform_http>
            $<TARGET_OBJECTS:bramo_platform_installer_check>)
target_link_libraries(bramo_platform PUBLIC bramo_platform_common
                      Threads::Threads CURL::libcurl OpenSSL::Crypto)

function(bramo_link_platform target)
  cmake_parse_arguments(PARSE_ARGV 1 uses "HTTP;INSTALLER_CHECK" "" "")
  set(parts bramo_platform_no_http bramo_platform_no_installer_check)
  if(uses_HTTP)
    set(parts bramo_platform_http bramo_platform_no_installer_check)
  endif()
  if(uses_INSTALLER_CHECK)
    list(REMOVE_ITEM parts bramo_platform_no_installer_check)
    list(APPEND parts bramo_platform_installer_check)
  endif()
  target_link_libraries(${target} PRIVATE ${parts} bramo_platform_core)
endfunction()
