# The fetch against real loopback servers (PHP's built-in server); Linux
# only, since it starts php and opens sockets itself.
add_executable(fetch_server_check monitor/fetch_servers_main.cc
               ${CMAKE_SOURCE_DIR}/testing/temp_folder.cc)
target_compile_definitions(fetch_server_check
                           PRIVATE BRAMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(fetch_server_check PRIVATE bramo_controller
                      bramo_platform GTest::gtest GTest::gtest_main)
add_test(NAME fetch_server_check COMMAND fetch_server_check)
set_tests_properties(fetch_server_check PROPERTIES TIMEOUT 120)
