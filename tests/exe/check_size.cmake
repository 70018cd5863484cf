# cmake -DFILE=Kestrane.exe -DLIMIT=409600 -P check_size.cmake
#
# Fails when FILE is larger than LIMIT bytes: Kestrane.exe is one small
# download, and a change that makes it grow past its limit shows here.

file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
    math(EXPR over "${size} - ${LIMIT}")
    message(FATAL_ERROR "${FILE} has ${size} bytes, ${over} more than its limit of ${LIMIT}")
endif()
message(STATUS "${FILE} has ${size} bytes, at most ${LIMIT}")
