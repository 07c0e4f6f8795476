# Feeds the status list generator lists that must be refused and one that must
# pass; run as a CTest script with PYTHON, GEN and WORK set.
file(MAKE_DIRECTORY ${WORK})
set(cases
  "dup-name|VERR_A -1 One.\nVERR_A -2 Two."
  "dup-value|VERR_A -1 One.\nVERR_B -1 Two."
  "too-small|VERR_A -32769 Out of range."
  "too-big|VINF_A 32768 Out of range."
  "bad-sign|VERR_A 5 An error that is positive."
  "bad-name|verr_lower -1 Not a name."
  "no-message|VERR_A -1")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 name)
  list(GET parts 1 body)
  string(REPLACE "\\n" "\n" body "${body}")
  file(WRITE ${WORK}/${name}.txt "${body}\n")
  execute_process(COMMAND ${PYTHON} ${GEN} ${WORK}/${name}.txt ${WORK}/${name}.h ${WORK}/${name}.inc
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(rc EQUAL 0)
    message(FATAL_ERROR "the generator accepted the bad list '${name}'")
  endif()
endforeach()
file(WRITE ${WORK}/good.txt "# comment\n\nVINF_SUCCESS 0 Success.\nVERR_A_B -2 A \"quoted\" message.\n")
execute_process(COMMAND ${PYTHON} ${GEN} ${WORK}/good.txt ${WORK}/good.h ${WORK}/good.inc RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the generator refused a good list")
endif()
file(READ ${WORK}/good.h hdr)
if(NOT hdr MATCHES "#define VERR_A_B +\\(-2\\)")
  message(FATAL_ERROR "the generated header lacks VERR_A_B (-2):\n${hdr}")
endif()
