# Import libraries of the Win32 layer; kernel32, user32, advapi32 and
# shell32 are linked by default, named here all the same.
target_link_libraries(bramo_platform PUBLIC comctl32 psapi shell32 advapi32
                      user32 gdi32 kernel32 ws2_32 wininet)
