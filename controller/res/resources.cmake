# The controller's resources and, on Windows, its GUI subsystem.  Compiled
# by windres on its own (not as a CMake RC source), so none of the C++
# compile options reach it; the object is linked into Sablo.exe.
if(BRAMO_PLATFORM STREQUAL "win32")
  set(sablo_rc ${CMAKE_CURRENT_SOURCE_DIR}/res/sablo.rc)
  set(sablo_res ${CMAKE_CURRENT_BINARY_DIR}/sablo_res.o)
  file(GLOB sablo_icons CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/res/*.ico
       ${CMAKE_CURRENT_SOURCE_DIR}/res/*.manifest)
  add_custom_command(
    OUTPUT ${sablo_res}
    COMMAND ${CMAKE_RC_COMPILER} --input-format=rc --output-format=coff
            -I ${CMAKE_CURRENT_SOURCE_DIR}/res -i ${sablo_rc} -o ${sablo_res}
    DEPENDS ${sablo_rc} ${sablo_icons}
    COMMENT "Compiling the controller's resources"
    VERBATIM)
  set_source_files_properties(${sablo_res} PROPERTIES EXTERNAL_OBJECT TRUE
                                                      GENERATED TRUE)
  target_sources(Sablo PRIVATE ${sablo_res})
  # A GUI program (no console window); mingw-w64's start-up still calls
  # main.
  set_target_properties(Sablo PROPERTIES WIN32_EXECUTABLE TRUE)
  # The platform tests load the icons and the dialog from their own
  # program, so they link the same object (see testing/CMakeLists.txt).
  add_custom_target(sablo_resources DEPENDS ${sablo_res})
  set(BRAMO_CONTROLLER_RESOURCES ${sablo_res} CACHE INTERNAL
      "The controller's compiled resources")
endif()
