find_package(Threads REQUIRED)
target_link_libraries(bramo_platform PUBLIC Threads::Threads)
