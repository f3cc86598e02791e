# Runs PROGRAM with ARGUMENTS (separated by "|"), standard input from INPUT when given, and writes its
# standard output to OUTPUT, replaced only when the program succeeds. Run as
#   cmake -DPROGRAM=scdoc -DINPUT=page.scd -DOUTPUT=page.1 -P RunToFile.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
set(input)
if(INPUT)
  set(input INPUT_FILE "${INPUT}")
endif()
execute_process(COMMAND "${PROGRAM}" ${arguments} ${input} OUTPUT_FILE "${OUTPUT}.new" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}.new")
  message(FATAL_ERROR "${PROGRAM} ${arguments} failed (${result})")
endif()
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
