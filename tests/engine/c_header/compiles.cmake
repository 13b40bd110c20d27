# Writes the sample header, compiles a program that includes it with the
# project's compiler, and runs it. Needs WRITER, COMPILER, SOURCE_DIR, WORK_DIR, MODE.
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${WRITER} ${WORK_DIR}/sample.h ${MODE} RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "writing the header failed: ${written}")
endif()
execute_process(COMMAND ${COMPILER} -std=c++20 -Wall -Werror -I${WORK_DIR} -I${SOURCE_DIR}
                        ${SOURCE_DIR}/uses_header.cpp -o ${WORK_DIR}/uses_header
                RESULT_VARIABLE compiled)
if(NOT compiled EQUAL 0)
  message(FATAL_ERROR "the header does not compile")
endif()
execute_process(COMMAND ${WORK_DIR}/uses_header RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "the header's bytes are wrong")
endif()
