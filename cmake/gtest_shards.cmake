# Under Wine every start of the test program costs about a second, so the
# cases run in a few shards, one program start each, rather than one start
# per case.  A shard is named for what it holds (bramo_tests.controller:
# the suites of controller/), and GoogleTest's output names a failing case.
#
#   bramo_gtest_shards(<target> <source root> <file>...)
#
# Each top folder below <source root> that holds test files is a shard,
# filtered to the suites its files define; the last shard, "rest", runs
# whatever no other shard names, so no case is ever left out.
function(bramo_gtest_suites out)
  set(suites "")
  foreach(file IN LISTS ARGN)
    file(STRINGS ${file} lines REGEX "^(TEST|TEST_F|TEST_P)\\(")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite
                           "${line}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  set(${out} ${suites} PARENT_SCOPE)
endfunction()

# "A.*:*/A.*:B.*:..." : the suites' cases, plain and parameterised.
function(bramo_gtest_filter out)
  set(patterns "")
  foreach(suite IN LISTS ARGN)
    list(APPEND patterns "${suite}.*" "*/${suite}.*")
  endforeach()
  list(JOIN patterns ":" filter)
  set(${out} "${filter}" PARENT_SCOPE)
endfunction()

function(bramo_gtest_shards target root)
  set(folders "")
  foreach(file IN LISTS ARGN)
    file(RELATIVE_PATH relative ${root} ${file})
    string(REGEX MATCH "^[^/]+/" folder "${relative}")
    if(folder STREQUAL "")
      continue()  # a test file at the top goes to "rest"
    endif()
    string(REPLACE "/" "" folder "${folder}")
    list(APPEND folders ${folder})
    list(APPEND files_${folder} ${file})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(named "")
  foreach(folder IN LISTS folders)
    bramo_gtest_suites(suites ${files_${folder}})
    list(APPEND named ${suites})
    bramo_gtest_filter(filter ${suites})
    bramo_gtest_shard(${target} ${folder} "${filter}")
  endforeach()
  bramo_gtest_filter(filter ${named})
  bramo_gtest_shard(${target} rest "-${filter}")
endfunction()

function(bramo_gtest_shard target name filter)
  # Through wine_gtest.sh, which tells a crash of Wine's own at the end of
  # a passing shard from a failure.
  add_test(NAME ${target}.${name}
           COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine_gtest.sh
                   ${BRAMO_WINE_RUN} $<TARGET_FILE:${target}>
                   --gtest_filter=${filter} --gtest_brief=1)
  # One at a time, as the cases ran in one program before.
  set_tests_properties(${target}.${name} PROPERTIES TIMEOUT 300
                       RESOURCE_LOCK ${target})
endfunction()
