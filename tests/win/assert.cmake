# Windows-side tests of the assertion and run-time check reports.

# Without the C runtime and with the stack protector, as the launcher is built.
add_executable(assert-nocrt assert-nocrt.cpp)
target_include_directories(assert-nocrt PRIVATE ${CMAKE_SOURCE_DIR}/Runtime)
target_compile_options(assert-nocrt PRIVATE ${KELB_NO_EH_RTTI} -fstack-protector-strong)
target_link_libraries(assert-nocrt PRIVATE tulo-nocrt)

# Registered once the directory has defined kelb_add_wine_test.
function(kelb_assert_wine_tests)
  # Fail-fast (int 0x29) under Wine raises STATUS_STACK_BUFFER_OVERRUN, which
  # ends the process with that code: 0xc0000409 = 3221226505.
  set(overrun 3221226505)
  set(cookie_report "\r\n\r\n!!Stack cookie corruption!!\r\n\r\nexpected 0123456789abcdef, found ")
  kelb_add_wine_test(win.assert.stack-guard-randomised EXIT 0 COMMAND assert-nocrt guard)
  kelb_add_wine_test(win.assert.stack-smash EXIT ${overrun}
    PASS "^${cookie_report}\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\\?\r\n$"
    COMMAND assert-nocrt smash)
  kelb_add_wine_test(win.assert.stack-smash-no-fastfail EXIT ${overrun}
    PASS "^${cookie_report}\\?+\r\n$" COMMAND assert-nocrt smash-nofastfail)
  # Wine's UnhandledExceptionFilter starts its debugger, which prints its
  # own report after ours; the process still ends with the overrun code.
  kelb_add_wine_test(win.assert.stack-smash-filter EXIT ${overrun}
    PASS "^${cookie_report}\\?+\r\n" COMMAND assert-nocrt smash-filter)
  kelb_add_wine_test(win.assert.cookie-ok EXIT 0 PASS "^$" COMMAND assert-nocrt cookie-ok)
  kelb_add_wine_test(win.assert.cookie-one-bit EXIT ${overrun}
    PASS "^${cookie_report}0123456789abcdee\r\n$" COMMAND assert-nocrt cookie-bit)
  # CMake's expressions have no counted repetition.
  string(REPEAT "[0-9a-f]" 16 hex16)
  kelb_add_wine_test(win.assert.range-check EXIT ${overrun}
    PASS "^\r\n\r\n!!Range check failed at ${hex16}!!\r\n$" COMMAND assert-nocrt range)
  kelb_add_wine_test(win.assert.context-check EXIT ${overrun}
    PASS "^\r\n\r\n!!Context \\(stack\\) check failed!!\r\n\r\nPC=00007ff612345678 SP=000000000012ff00 BP=000000000012ff40\r\n$"
    COMMAND assert-nocrt context)
  # Unset or "panic": the breakpoint ends the process with 0x80000003 = 2147483651.
  set(assert_report "^\n!!Assertion Failed!!\nExpression: cItems == 4\nLocation  : [^\n]*assert-nocrt\\.cpp\\([0-9]+\\) main\ncItems=3\n")
  kelb_add_wine_test(win.assert.report-unset EXIT 2147483651 PASS "${assert_report}$"
    COMMAND assert-nocrt assert)
  kelb_add_wine_test(win.assert.report-panic EXIT 2147483651 PASS "${assert_report}$"
    ENV KELB_ASSERT=panic COMMAND assert-nocrt assert)
  kelb_add_wine_test(win.assert.report-disabled EXIT 0 PASS "${assert_report}continued\n$"
    ENV KELB_ASSERT=disabled COMMAND assert-nocrt assert)
  kelb_add_wine_test(win.assert.report-null-expression EXIT 0
    PASS "^\n!!Assertion Failed!!\nExpression: <none>\nLocation  : <none>\\(99\\) tstFn\n$"
    COMMAND assert-nocrt assert-null)
endfunction()
if(KELB_RUN_WINDOWS_TESTS)
  cmake_language(DEFER CALL kelb_assert_wine_tests)
endif()
