find_package(Threads REQUIRED)
find_package(CURL REQUIRED)
target_link_libraries(bramo_platform PUBLIC Threads::Threads CURL::libcurl)
