find_package(Threads REQUIRED)
find_package(CURL REQUIRED)
target_link_libraries(bramo_platform PUBLIC Threads::Threads CURL::libcurl)
# libcrypto checks the installer's signature (installer_check_posix.cc).
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
target_link_libraries(bramo_platform PUBLIC OpenSSL::Crypto)
