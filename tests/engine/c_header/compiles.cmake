# Writes the sample header, compiles a program that includes it with the
# project's compiler, and runs it. Needs WRITER, COMPILER, SOURCE_DIR, WORK_DIR, MODE.
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${WRITER} ${WORK_DIR}/sample.h ${MODE} RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "writing the header failed: ${written}")
endif()
include(${SOURCE_DIR}/compile_and_run.cmake)
