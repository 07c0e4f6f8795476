# Windows-side tests of the standard streams and tool messages: tulo_add_win_test(<name> <sources...>)
tulo_add_win_test(tstw-stream stream-win.cpp)

# Started by tstw-stream with its standard output in a file: the buffering
# and the write at exit of a program without the C runtime.
add_executable(tstw-stream-nocrt stream-nocrt.cpp)
target_include_directories(tstw-stream-nocrt PRIVATE ${CMAKE_SOURCE_DIR}/Runtime)
target_compile_options(tstw-stream-nocrt PRIVATE ${KELB_NO_EH_RTTI} -fno-stack-protector)
target_link_libraries(tstw-stream-nocrt PRIVATE tulo-nocrt)
add_dependencies(tstw-stream tstw-stream-nocrt)

# The streams on a real console. Wine gives a program a console only on a
# terminal, so the test runs on a pseudo terminal made by script(1); its
# output is the console's, full of cursor sequences, so only the exit code
# (gtest's, through the runner) decides.
add_executable(tstw-stream-console stream-console-win.cpp)
target_link_libraries(tstw-stream-console PRIVATE tulo kelb-gtest)
target_include_directories(tstw-stream-console PRIVATE ${CMAKE_SOURCE_DIR}/Runtime)
target_link_options(tstw-stream-console PRIVATE -static)
function(kelb_stream_console_test)
  add_test(NAME win.tstw-stream-console
    COMMAND script -qec "/bin/sh '${CMAKE_SOURCE_DIR}/cmake/wine-run.sh' '--prefix=${KELB_WINEPREFIX}' '--runner=$<TARGET_FILE:exitcode-runner>' '$<TARGET_FILE:tstw-stream-console>'" /dev/null)
  set_tests_properties(win.tstw-stream-console PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "KELB_EXPECT_EXIT=0"
    FAIL_REGULAR_EXPRESSION "KELB-EXIT-MISMATCH"
    TIMEOUT 120)
endfunction()
if(KELB_RUN_WINDOWS_TESTS)
  cmake_language(DEFER CALL kelb_stream_console_test)
endif()
