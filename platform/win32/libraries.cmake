add_library(bramo_platform STATIC ${backend_sources})
target_link_libraries(bramo_platform PUBLIC bramo_platform_common)
# Import libraries of the Win32 layer; kernel32, user32, advapi32 and
# shell32 are linked by default, named here all the same.
target_link_libraries(bramo_platform PUBLIC comctl32 psapi shell32 advapi32
                      user32 gdi32 kernel32 ws2_32 wininet wintrust crypt32)

# The name of the certificate the vendor signs its installers with: the
# updater runs no installer signed by anyone else.
set(BRAMO_VENDOR_SIGNER "Bramo" CACHE STRING
    "Common name of the vendor's code-signing certificate")
set_source_files_properties(
  ${CMAKE_CURRENT_SOURCE_DIR}/win32/installer_check_win32.cc PROPERTIES
  COMPILE_DEFINITIONS "BRAMO_VENDOR_SIGNER=\"${BRAMO_VENDOR_SIGNER}\"")

# Every program links the whole layer: its libraries are the system's own
# DLLs.
function(bramo_link_platform target)
  target_link_libraries(${target} PRIVATE bramo_platform)
endfunction()
