# Runs one fuzzer for a bounded time on a copy of its seed corpus.
# Inputs: FUZZER, SEEDS, WORK, DICT (may be empty), RUNS, SECONDS.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)

set(options -runs=${RUNS} -max_total_time=${SECONDS} -artifact_prefix=${WORK}/artifacts/)
if(DICT)
  list(APPEND options -dict=${DICT})
endif()
execute_process(COMMAND ${FUZZER} ${options} ${WORK}/corpus RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input that broke it is in ${WORK}/artifacts")
endif()
