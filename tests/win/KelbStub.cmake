# KelbStub.exe end to end under Wine: what it prints, which boxes it shows,
# which libraries it loads and the exit codes it ends with.

# kelb_add_stub_check(<name> EXIT <code> [ENV <var=value>...] [CHECKS <check-run options>...] ARGS <arguments>...)
# Runs KelbStub.exe with the arguments and checks its output with check-run.py.
set(KELB_CHECK_RUN python3 ${CMAKE_CURRENT_SOURCE_DIR}/check-run.py)
function(kelb_add_stub_check name)
  cmake_parse_arguments(PARSE_ARGV 1 T "" "EXIT" "ENV;CHECKS;ARGS")
  add_test(NAME ${name}
           COMMAND ${KELB_CHECK_RUN} ${T_CHECKS} --
                   ${KELB_WINE_RUN} --runner=$<TARGET_FILE:exitcode-runner> $<TARGET_FILE:KelbStub> ${T_ARGS})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "KELB_EXPECT_EXIT=${T_EXIT};${T_ENV}"
    FAIL_REGULAR_EXPRESSION "KELB-EXIT-MISMATCH;KELB-OUTPUT-MISMATCH"
    TIMEOUT 120)
endfunction()

set(KELB_VERSION_TEXT "Version: ${KELB_VERSION_MAJOR}.${KELB_VERSION_MINOR}.${KELB_VERSION_BUILD}r${KELB_VERSION_REVISION}")
# kelb_help_check(<out-var> <program path>): the check-run options for the
# help text of the program at that path (the text names it twice).
function(kelb_help_check var prog)
  set(${var} --stdout-format ${CMAKE_SOURCE_DIR}/tests/fixtures/KelbStub-help.txt
    --arg ${KELB_VERSION_MAJOR} --arg ${KELB_VERSION_MINOR} --arg ${KELB_VERSION_BUILD} --arg ${KELB_VERSION_REVISION}
    --arg "win:${prog}" --arg "win:${prog}" PARENT_SCOPE)
endfunction()
kelb_help_check(KELB_HELP_CHECK $<TARGET_FILE:KelbStub>)

# Help and version: on the console when silent, in an information box otherwise.
kelb_add_stub_check(win.KelbStub.version EXIT 0 ARGS --silent --version)
set_tests_properties(win.KelbStub.version PROPERTIES PASS_REGULAR_EXPRESSION "^${KELB_VERSION_TEXT}\r\n")
kelb_add_stub_check(win.KelbStub.help EXIT 0 CHECKS ${KELB_HELP_CHECK} ARGS --silent --help)
kelb_add_stub_check(win.KelbStub.help-short EXIT 0 CHECKS ${KELB_HELP_CHECK} ARGS /silent -?)
kelb_add_stub_check(win.KelbStub.version-box EXIT 0 ENV WINEDEBUG=-all,+relay
  CHECKS --box "${KELB_VERSION_TEXT}" --box-style 0x40 ARGS --version)
# The loop stops at the version: what follows it is never looked at.
kelb_add_stub_check(win.KelbStub.version-stops-the-loop EXIT 0 ARGS --silent --version --bogus)
set_tests_properties(win.KelbStub.version-stops-the-loop PROPERTIES PASS_REGULAR_EXPRESSION "^${KELB_VERSION_TEXT}\r\n")

# Every command-line error, both ways: a "KelbStub.exe: error: " line on
# standard error when silent, an error box otherwise; exit code 2 either way.
# kelb_add_stub_error(<name> [SILENT <stderr text>] BOX <box text> ARGS <arguments>...)
set(KELB_REFER "\nPlease refer to the command line help by specifying \"-?\"\nto get more information.")
function(kelb_add_stub_error name)
  cmake_parse_arguments(PARSE_ARGV 1 T "" "SILENT;BOX" "ARGS")
  if(DEFINED T_SILENT)
    kelb_add_stub_check(win.KelbStub.error.${name}.silent EXIT 2
      CHECKS --stderr "KelbStub.exe: error: ${T_SILENT}" ARGS --silent ${T_ARGS})
  endif()
  kelb_add_stub_check(win.KelbStub.error.${name}.box EXIT 2 ENV WINEDEBUG=-all,+relay
    CHECKS --box "${T_BOX}" ARGS ${T_ARGS})
endfunction()
string(REPEAT a 4200 KELB_LONG_NAME)
string(REPEAT a 4096 KELB_FULL_MSI_ARGS)
kelb_add_stub_error(unknown-option ARGS --bogus
  SILENT "Unknown option: '--bogus'" BOX "Unknown option \"--bogus\"${KELB_REFER}")
kelb_add_stub_error(operand-first ARGS Y=2
  SILENT "Invalid parameter: Y=2" BOX "Parameter parsing error: VINF_GETOPT_NOT_OPTION${KELB_REFER}")
kelb_add_stub_error(value-missing ARGS --path
  SILENT "--path: An option that takes a value is the last argument."
  BOX "Parameter parsing error: VERR_GETOPT_REQUIRED_ARGUMENT_MISSING${KELB_REFER}")
kelb_add_stub_error(msi-prop-name-with-space ARGS --msi-prop "A B" 1
  SILENT "The first argument to --msi-prop must not contain spaces: A B"
  BOX "The first argument to --msi-prop must not contain spaces: A B")
kelb_add_stub_error(msi-prop-value-missing ARGS --msi-prop NAME
  SILENT "--msi-prop takes two arguments, the 2nd is missing"
  BOX "--msi-prop takes two arguments, the 2nd is missing")
kelb_add_stub_error(msi-args-full ARGS --msiparams ${KELB_FULL_MSI_ARGS}
  SILENT "Out of space for MSI parameters and properties" BOX "Out of space for MSI parameters and properties")
kelb_add_stub_error(path-too-long ARGS --path ${KELB_LONG_NAME}
  SILENT "Extraction path is too long (VERR_BUFFER_OVERFLOW)"
  BOX "Extraction path is too long (VERR_BUFFER_OVERFLOW)")
kelb_add_stub_error(msi-log-file-too-long ARGS --msi-log-file ${KELB_LONG_NAME}
  SILENT "MSI log file path is too long (VERR_BUFFER_OVERFLOW)"
  BOX "MSI log file path is too long (VERR_BUFFER_OVERFLOW)")
# Text that is not ASCII reaches the box whole, through UTF-16. (On the
# console it is written in the current code page, which is Wine's choice.)
kelb_add_stub_error(msi-prop-name-not-ascii ARGS --msi-prop "Jörg Łukasz 中文😀" 1
  BOX "The first argument to --msi-prop must not contain spaces: Jörg Łukasz 中文😀")

# The command line as the process parameters hold it, split by the Microsoft
# rules: \" is a quote, a backslash before anything else is itself, 2n
# backslashes before a quote are n and the quote ends the quoting. The
# unknown option's text shows the argument as split.
kelb_add_stub_check(win.KelbStub.command-line-quoting EXIT 2
  CHECKS --stderr "KelbStub.exe: error: Unknown option: '--a b\"c\\d\\\\'"
  ARGS --raw "--silent \"--a b\\\"c\\d\\\\\\\\\"")
# A quoted program path with spaces is the first argument without its quotes:
# the help text shows it.
set(KELB_SPACE_DIR "${CMAKE_CURRENT_BINARY_DIR}/dir with spaces")
kelb_help_check(KELB_SPACE_HELP_CHECK "${KELB_SPACE_DIR}/KelbStub.exe")
add_test(NAME win.KelbStub.program-path-with-spaces
  COMMAND /bin/sh -c "mkdir -p \"$0\" && cp \"$1\" \"$0/\" && shift && exec \"$@\""
          ${KELB_SPACE_DIR} $<TARGET_FILE:KelbStub>
          ${KELB_CHECK_RUN} ${KELB_SPACE_HELP_CHECK} --
          ${KELB_WINE_RUN} --runner=$<TARGET_FILE:exitcode-runner> "${KELB_SPACE_DIR}/KelbStub.exe" --silent --help)
set_tests_properties(win.KelbStub.program-path-with-spaces PROPERTIES
  FIXTURES_REQUIRED wine ENVIRONMENT "KELB_EXPECT_EXIT=0"
  FAIL_REGULAR_EXPRESSION "KELB-EXIT-MISMATCH;KELB-OUTPUT-MISMATCH" TIMEOUT 120)
# A command line that is not valid UTF-16 (an unpaired surrogate) never
# reaches main.
kelb_add_stub_check(win.KelbStub.command-line-not-utf16 EXIT 3
  CHECKS --stderr "Failed to convert command line to UTF-8: -62"
  ARGS --raw-units "--silent a\\ud800b")

# user32 is loaded at the first box, from the system directory, and never in
# a run that shows none. (The loader trace also covers the runner, which
# loads no user32 either.)
kelb_add_stub_check(win.KelbStub.silent-run-loads-no-user32 EXIT 0 ENV WINEDEBUG=-all,+loaddll ARGS --silent --version)
set_tests_properties(win.KelbStub.silent-run-loads-no-user32 PROPERTIES
  FAIL_REGULAR_EXPRESSION "KELB-EXIT-MISMATCH;KELB-OUTPUT-MISMATCH;[Uu][Ss][Ee][Rr]32"
  PASS_REGULAR_EXPRESSION "Loaded L\"[^\"]*KelbStub.exe\"")
kelb_add_stub_check(win.KelbStub.box-loads-system-user32 EXIT 0 ENV WINEDEBUG=-all,+loaddll ARGS --version)
set_tests_properties(win.KelbStub.box-loads-system-user32 PROPERTIES
  PASS_REGULAR_EXPRESSION "Loaded L\"C:\\\\\\\\windows\\\\\\\\system32\\\\\\\\(user32|USER32)\\.(dll|DLL)\"")
