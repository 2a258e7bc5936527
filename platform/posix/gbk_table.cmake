# The GBK tables gbk_decode.cc includes, made at build time from the
# system's iconv by gbk_table_gen.  bramo_gbk_table(<target>) lets the
# target's sources find them, made before they compile.
if(NOT TARGET bramo_gbk_table_gen)
  add_executable(bramo_gbk_table_gen ${CMAKE_CURRENT_LIST_DIR}/gbk_table_gen.cc)
  set(gbk_table_dir ${CMAKE_BINARY_DIR}/generated)
  add_custom_command(
    OUTPUT ${gbk_table_dir}/gbk_table.inc
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gbk_table_dir}
    COMMAND bramo_gbk_table_gen ${gbk_table_dir}/gbk_table.inc
    DEPENDS bramo_gbk_table_gen
    VERBATIM)
  add_custom_target(bramo_gbk_table DEPENDS ${gbk_table_dir}/gbk_table.inc)
endif()

function(bramo_gbk_table target)
  add_dependencies(${target} bramo_gbk_table)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()
