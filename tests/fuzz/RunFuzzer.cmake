# Builds the CDDB answer fuzzer with clang's libFuzzer and runs it for a
# bounded number of inputs. Called by ctest with -DSOURCE_DIR, -DBINARY_DIR
# and -DRUNS. The project itself builds with g++, hence this separate build.
find_program(CLANGXX NAMES clang++ clang++-16 clang++-15 clang++-14)
if(NOT CLANGXX)
    message("SKIPPED: clang++ was not found, so the fuzzer cannot be built")
    return()
endif()

set(fuzzer "${BINARY_DIR}/cddb_answer_fuzzer")
set(sources
    "${SOURCE_DIR}/tests/fuzz/CddbAnswerFuzzer.cpp"
    "${SOURCE_DIR}/src/cddb/AnswerText.cpp"
    "${SOURCE_DIR}/src/cddb/CddbAnswers.cpp"
    "${SOURCE_DIR}/src/cddb/CddbText.cpp"
    "${SOURCE_DIR}/src/cddb/XmcdRecord.cpp"
    "${SOURCE_DIR}/src/platform/Utf8.cpp")
execute_process(
    COMMAND "${CLANGXX}" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all "-I${SOURCE_DIR}/src" ${sources} -o "${fuzzer}"
    RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "building the fuzzer failed")
endif()

# The fuzzer adds what it finds to the corpus folder: work on a copy.
set(corpus "${BINARY_DIR}/cddb_fuzz_corpus")
file(REMOVE_RECURSE "${corpus}")
file(COPY "${SOURCE_DIR}/tests/fuzz/seeds/" DESTINATION "${corpus}")
execute_process(
    COMMAND "${fuzzer}" -runs=${RUNS} -seed=1 -max_len=4096 -timeout=10 "${corpus}"
    RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a failure (exit ${ran})")
endif()
