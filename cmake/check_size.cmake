# A size goal as a test: fails when FILE is larger than LIMIT bytes.
#   cmake -DFILE=path -DLIMIT=bytes -P check_size.cmake
file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${FILE}: ${size} bytes, over the goal of ${LIMIT}")
endif()
message(STATUS "${FILE}: ${size} bytes (goal: at most ${LIMIT})")
