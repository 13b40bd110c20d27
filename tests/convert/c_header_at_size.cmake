# Draws the sample picture as a 128 x 64 PBM, converts it with
# pelorin-convert --size 128x64 --fit --to c, and compiles and runs the
# program that includes the header as a firmware project would.
# Needs CONVERTER, COMPILER, SOURCE_DIR (the c_header folder), WORK_DIR.
file(MAKE_DIRECTORY ${WORK_DIR})
set(rows "")
foreach(y RANGE 63)
  set(row "")
  foreach(x RANGE 127)
    math(EXPR dot "(${x} * ${x} + 3 * ${y}) % 7")
    if(dot EQUAL 0)
      string(APPEND row "1 ")
    else()
      string(APPEND row "0 ")
    endif()
  endforeach()
  string(APPEND rows "${row}\n")
endforeach()
file(WRITE ${WORK_DIR}/sample.pbm "P1\n128 64\n${rows}")
execute_process(COMMAND ${CONVERTER} ${WORK_DIR}/sample.pbm --size 128x64 --layout bands-lsb-top --fit
                        --threshold 128 --to c -o ${WORK_DIR}/sample.h
                RESULT_VARIABLE converted)
if(NOT converted EQUAL 0)
  message(FATAL_ERROR "converting the picture failed: ${converted}")
endif()
include(${SOURCE_DIR}/compile_and_run.cmake)
