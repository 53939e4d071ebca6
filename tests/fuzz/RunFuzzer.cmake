# Builds one libFuzzer target with clang and runs it for a bounded number of
# inputs. Called by ctest with -DNAME, -DSOURCES (comma-separated, relative
# to the source folder), -DSEEDS (a seed folder there), -DFLAGS (compile and
# link arguments, comma-separated), -DMAX_LEN, -DSOURCE_DIR, -DBINARY_DIR and
# -DRUNS. The project itself builds with g++, hence this separate build.
find_program(CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(NOT CLANGXX)
    message("SKIPPED: clang++ was not found, so the fuzzer cannot be built")
    return()
endif()

set(fuzzer "${BINARY_DIR}/${NAME}")
string(REPLACE "," ";" sources "${SOURCES}")
list(TRANSFORM sources PREPEND "${SOURCE_DIR}/")
string(REPLACE "," ";" flags "${FLAGS}")
execute_process(
    COMMAND "${CLANGXX}" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all "-I${SOURCE_DIR}/src" "-I${SOURCE_DIR}/plugins/mp3info"
            ${sources} ${flags} -o "${fuzzer}"
    RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "building the fuzzer failed")
endif()

# The fuzzer adds what it finds to the corpus folder: work on a copy.
set(corpus "${BINARY_DIR}/${NAME}_corpus")
file(REMOVE_RECURSE "${corpus}")
file(COPY "${SOURCE_DIR}/${SEEDS}/" DESTINATION "${corpus}")
execute_process(
    COMMAND "${fuzzer}" -runs=${RUNS} -seed=1 -max_len=${MAX_LEN} -timeout=10 "${corpus}"
    RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a failure (exit ${ran})")
endif()
