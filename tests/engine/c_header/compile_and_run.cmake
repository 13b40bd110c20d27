# Compiles the program that includes ${WORK_DIR}/sample.h with the project's
# compiler, as a firmware project would, and runs it: it checks the header's
# bytes. Included by the scripts that write the header; needs COMPILER,
# SOURCE_DIR (this folder) and WORK_DIR.
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
