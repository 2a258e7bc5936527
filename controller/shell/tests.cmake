# The controller on the Linux console, driven through its standard input
# and output.
add_test(NAME console_session
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/shell/console_session_test.py
                 $<TARGET_FILE:Sablo>)
# The controller ends at once when another of its name runs on the machine,
# so tests that start it never run at the same time.
set_tests_properties(console_session PROPERTIES TIMEOUT 120
                     RESOURCE_LOCK sablo_instance)
